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

std::u16string PathInCurrentDirectory(const std::u16string& name) {
    std::u16string path = CurrentDirectory();
    if (path.empty() || path.back() != u'/') {
        path += u'/';
    }
    return path + name;
}

}  // namespace quillmoor
