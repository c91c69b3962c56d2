#include <windows.h>

#include <string>

#include "platform/error_message_box.h"

namespace quillmoor {

void ShowErrorMessageBox(std::u16string_view text) {
    const std::u16string terminated(text);
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(terminated.c_str()), L"Error",
                MB_OK | MB_ICONERROR | MB_TOPMOST);
}

}  // namespace quillmoor
