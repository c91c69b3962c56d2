#include "platform/file_system.h"

#include <sys/stat.h>

#include "platform/utf.h"

namespace quillmoor {

bool FileExists(const std::u16string& path) {
    struct stat st {};
    return stat(Utf16ToUtf8(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::u16string& path) {
    struct stat st {};
    return stat(Utf16ToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace quillmoor
