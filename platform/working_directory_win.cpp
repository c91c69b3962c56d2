#include "platform/working_directory.h"

#include <windows.h>

#include "platform/file_system.h"
#include "platform/system_error_text.h"

namespace quillmoor {

std::u16string CurrentDirectory() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) {
        throw FileSystemError("Cannot tell the working directory: " +
                              SystemErrorText(GetLastError()));
    }
    std::u16string path(needed, u'\0');
    const DWORD length = GetCurrentDirectoryW(needed, reinterpret_cast<wchar_t*>(path.data()));
    path.resize(length);
    return path;
}

}  // namespace quillmoor
