#include "platform/file_system.h"

#include "platform/utf.h"

namespace quillmoor {

FileSystemError::FileSystemError(std::string_view attempt, std::u16string_view path,
                                 std::string_view reason)
    : std::runtime_error(std::string(attempt) + " \"" + Utf16ToUtf8(path) + "\": " +
                         std::string(reason)) {}

}  // namespace quillmoor
