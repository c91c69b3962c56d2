#include <windows.h>

#include "platform/file_system.h"
#include "platform/read_only_file.h"
#include "platform/system_error_text.h"
#include "platform/utf.h"

namespace quillmoor {

ReadOnlyFile::ReadOnlyFile(const std::u16string& path)
    : path_(path),
      handle_(reinterpret_cast<intptr_t>(
          CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
    if (reinterpret_cast<HANDLE>(handle_) == INVALID_HANDLE_VALUE) {
        throw FileSystemError("Cannot open " + Utf16ToUtf8(path) + ": " +
                              SystemErrorText(GetLastError()));
    }
}

ReadOnlyFile::~ReadOnlyFile() {
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

size_t ReadOnlyFile::ReadSomeAt(uint64_t offset, char* buffer, size_t count) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(count), &got,
                  &at)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) {
            return 0;
        }
        throw FileSystemError("Cannot read " + Utf16ToUtf8(path_) + ": " + SystemErrorText(error));
    }
    return got;
}

}  // namespace quillmoor
