#include "platform/working_directory.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor {

std::u16string CurrentDirectory() {
    std::vector<char> buffer(256);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            throw FileSystemError(std::string("Cannot tell the working directory: ") +
                                  std::strerror(errno));
        }
        buffer.resize(buffer.size() * 2);
    }
    return Utf8ToUtf16(buffer.data());
}

}  // namespace quillmoor
