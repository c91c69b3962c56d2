#include <windows.h>

#include <string>

#include "platform/debugger_output.h"

namespace quillmoor {

void WriteDebuggerOutput(std::u16string_view line) {
    std::u16string text(line);
    text += u"\r\n";
    OutputDebugStringW(reinterpret_cast<const wchar_t*>(text.c_str()));
}

}  // namespace quillmoor
