#include "platform/file_bytes.h"

#include <windows.h>

#include "platform/file_system.h"
#include "platform/system_error_text.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

class OpenFile {
  public:
    explicit OpenFile(const std::u16string& path)
        : handle_(CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (handle_ == INVALID_HANDLE_VALUE) {
            throw FileSystemError("Cannot open " + Utf16ToUtf8(path) + ": " +
                                  SystemErrorText(GetLastError()));
        }
    }
    ~OpenFile() { CloseHandle(handle_); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    HANDLE handle() const { return handle_; }

  private:
    HANDLE handle_;
};

}  // namespace

std::optional<std::string> ReadFileBytesAt(const std::u16string& path, uint64_t offset,
                                           size_t count) {
    OpenFile file(path);
    std::string bytes(count, '\0');
    size_t done = 0;
    while (done < count) {
        OVERLAPPED at{};
        const uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        DWORD got = 0;
        if (!ReadFile(file.handle(), bytes.data() + done, static_cast<DWORD>(count - done), &got,
                      &at)) {
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) {
                return std::nullopt;
            }
            throw FileSystemError("Cannot read " + Utf16ToUtf8(path) + ": " +
                                  SystemErrorText(error));
        }
        if (got == 0) {
            return std::nullopt;
        }
        done += got;
    }
    return bytes;
}

}  // namespace quillmoor
