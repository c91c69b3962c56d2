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

void FileContentSink::Rewind() {
    throw std::logic_error("This file content cannot be taken back");
}

std::string ReadFileBytes(const std::u16string& path, std::uint64_t max_bytes) {
    class Collector : public FileContentReceiver {
      public:
        void Expect(std::uint64_t bytes) override { bytes_.reserve(static_cast<size_t>(bytes)); }
        void Take(std::string_view block) override { bytes_ += block; }
        std::string bytes_;
    } collector;
    ReadFileContent(path, max_bytes, collector);
    return std::move(collector.bytes_);
}

FileSystemError::FileSystemError(std::string_view attempt, std::u16string_view path,
                                 std::string_view reason)
    : std::runtime_error(std::string(attempt) + " \"" + PathForMessage(path) +
                         "\": " + std::string(reason)),
      reason_(reason) {}

}  // namespace quillmoor
