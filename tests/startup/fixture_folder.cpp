#include "tests/startup/fixture_folder.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace quillmoor::testing {

FixtureFolder::FixtureFolder() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            base / ("quillmoor-test-" + std::to_string(random()) + std::to_string(random()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

FixtureFolder::~FixtureFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void FixtureFolder::WriteFile(std::string_view relative, std::string_view bytes) const {
    const std::filesystem::path file = path_ / std::filesystem::path(relative);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

void FixtureFolder::MakeFolder(std::string_view relative) const {
    std::filesystem::create_directories(path_ / std::filesystem::path(relative));
}

void FixtureFolder::Remove(std::string_view relative) const {
    std::filesystem::remove_all(path_ / std::filesystem::path(relative));
}

WorkingDirectoryScope::WorkingDirectoryScope(const std::filesystem::path& folder)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

WorkingDirectoryScope::~WorkingDirectoryScope() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

}  // namespace quillmoor::testing
