#include <windows.h>

#include <vector>

#include "platform/file_system.h"
#include "platform/file_version.h"
#include "platform/system_error_text.h"
#include "platform/utf.h"

namespace quillmoor {

FileVersion ReadFileVersion(const std::u16string& path) {
    const auto* name = reinterpret_cast<const wchar_t*>(path.c_str());
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(name, &ignored);
    if (size == 0) {
        // No version resource at all: the version reads as 0.0.0.0. A file that cannot be
        // opened is reported as such.
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
            throw FileSystemError("Cannot read the version of " + Utf16ToUtf8(path) + ": " +
                                  SystemErrorText(error));
        }
        return FileVersion{};
    }
    std::vector<unsigned char> data(size);
    if (!GetFileVersionInfoW(name, 0, size, data.data())) {
        throw FileSystemError("Cannot read the version of " + Utf16ToUtf8(path) + ": " +
                              SystemErrorText(GetLastError()));
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixed_size = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size) ||
        fixed == nullptr || fixed_size < sizeof(VS_FIXEDFILEINFO)) {
        return FileVersion{};
    }
    return FileVersion{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                       HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
}

}  // namespace quillmoor
