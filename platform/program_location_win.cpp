#include "platform/program_location.h"

#include <windows.h>

#include "platform/file_system.h"
#include "platform/system_error_text.h"

namespace quillmoor {

std::u16string RunningProgramPath() {
    std::u16string path(MAX_PATH, u'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()),
                                                static_cast<DWORD>(path.size()));
        if (length == 0) {
            throw FileSystemError("Cannot find the running program", u"",
                                  SystemErrorText(GetLastError()));
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::u16string RunningProgramFolder() {
    const std::u16string path = RunningProgramPath();
    return path.substr(0, path.find_last_of(u"\\/") + 1);
}

}  // namespace quillmoor
