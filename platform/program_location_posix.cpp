#include "platform/program_location.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor {

std::u16string RunningProgramPath() {
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", target.data(), target.size());
        if (length < 0) {
            throw FileSystemError("Cannot find the running program", u"/proc/self/exe",
                                  std::generic_category().message(errno));
        }
        if (static_cast<size_t>(length) < target.size()) {
            target.resize(static_cast<size_t>(length));
            break;
        }
        target.resize(target.size() * 2);
    }
    return Utf8ToUtf16(target);
}

std::u16string RunningProgramFolder() {
    const std::u16string path = RunningProgramPath();
    return path.substr(0, path.rfind(u'/') + 1);
}

}  // namespace quillmoor
