#include "platform/file_system.h"

#include <algorithm>

#include "platform/utf.h"

namespace quillmoor {

namespace {

// The path as message text. A NUL character would end the message early; it shows as U+FFFD.
std::string PathForMessage(std::u16string_view path) {
    std::u16string shown(path);
    std::replace(shown.begin(), shown.end(), u'\0', u'\uFFFD');
    return Utf16ToUtf8(shown);
}

}  // namespace

FileSystemError::FileSystemError(std::string_view attempt, std::u16string_view path,
                                 std::string_view reason)
    : std::runtime_error(std::string(attempt) + " \"" + PathForMessage(path) +
                         "\": " + std::string(reason)) {}

}  // namespace quillmoor
