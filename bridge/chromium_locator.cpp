#include "bridge/chromium_locator.h"

#include <unistd.h>

#include <vector>

#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor::bridge {

namespace {

bool IsExecutableFile(const std::string& path) {
    return FileExists(Utf8ToUtf16(path)) && access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> Folders(std::string_view path_variable) {
    std::vector<std::string> folders;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path_variable.find(':', start);
        std::string folder(
            path_variable.substr(start, end == std::string_view::npos ? end : end - start));
        folders.push_back(folder.empty() ? "." : folder);
        if (end == std::string_view::npos) {
            return folders;
        }
        start = end + 1;
    }
}

}  // namespace

std::string ChromiumNamesForMessage() {
    std::string names;
    constexpr std::size_t count = std::size(kChromiumNames);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            names += i + 1 == count ? " or " : ", ";
        }
        names += kChromiumNames[i];
    }
    return names;
}

std::optional<std::string> FindChromium(std::string_view path_variable) {
    if (path_variable.empty()) {
        return std::nullopt;
    }
    const std::vector<std::string> folders = Folders(path_variable);
    for (std::string_view name : kChromiumNames) {
        for (const std::string& folder : folders) {
            std::string candidate = folder + "/" + std::string(name);
            if (IsExecutableFile(candidate)) {
                return candidate;
            }
        }
    }
    return std::nullopt;
}

}  // namespace quillmoor::bridge
