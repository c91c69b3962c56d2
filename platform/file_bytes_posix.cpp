#include "platform/file_bytes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

class OpenFile {
  public:
    explicit OpenFile(const std::u16string& path)
        : fd_(open(Utf16ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ < 0) {
            throw FileSystemError("Cannot open " + Utf16ToUtf8(path) + ": " + std::strerror(errno));
        }
    }
    ~OpenFile() { close(fd_); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int fd() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

std::optional<std::string> ReadFileBytesAt(const std::u16string& path, uint64_t offset,
                                           size_t count) {
    OpenFile file(path);
    std::string bytes(count, '\0');
    size_t done = 0;
    while (done < count) {
        const ssize_t got =
            pread(file.fd(), bytes.data() + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw FileSystemError("Cannot read " + Utf16ToUtf8(path) + ": " + std::strerror(errno));
        }
        if (got == 0) {
            return std::nullopt;
        }
        done += static_cast<size_t>(got);
    }
    return bytes;
}

}  // namespace quillmoor
