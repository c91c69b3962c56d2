// Whether a Chromium is on the PATH, for tests that run the real browser and skip without it.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace quillmoor::test_support {

inline bool ChromiumOnPath() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        for (const char* name : {"chromium", "chromium-browser", "google-chrome"}) {
            if (!folder.empty() &&
                access((std::filesystem::path(folder) / name).c_str(), X_OK) == 0) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace quillmoor::test_support
