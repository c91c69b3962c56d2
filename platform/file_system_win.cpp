#include "platform/file_system.h"

#include <windows.h>

namespace quillmoor {
namespace {

DWORD AttributesOf(const std::u16string& path) {
    return GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str()));
}

}  // namespace

bool FileExists(const std::u16string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::u16string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace quillmoor
