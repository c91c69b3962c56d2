#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_system.h"
#include "platform/read_only_file.h"
#include "platform/utf.h"

namespace quillmoor {

ReadOnlyFile::ReadOnlyFile(const std::u16string& path)
    : path_(path), handle_(open(Utf16ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC)) {
    if (handle_ < 0) {
        throw FileSystemError("Cannot open " + Utf16ToUtf8(path) + ": " + std::strerror(errno));
    }
}

ReadOnlyFile::~ReadOnlyFile() {
    close(static_cast<int>(handle_));
}

size_t ReadOnlyFile::ReadSomeAt(uint64_t offset, char* buffer, size_t count) {
    for (;;) {
        const ssize_t got =
            pread(static_cast<int>(handle_), buffer, count, static_cast<off_t>(offset));
        if (got >= 0) {
            return static_cast<size_t>(got);
        }
        if (errno != EINTR) {
            throw FileSystemError("Cannot read " + Utf16ToUtf8(path_) + ": " +
                                  std::strerror(errno));
        }
    }
}

}  // namespace quillmoor
