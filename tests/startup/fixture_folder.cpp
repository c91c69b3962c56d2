#include "tests/startup/fixture_folder.h"

#include <fstream>
#include <stdexcept>

namespace quillmoor::test_support {

void FixtureFolder::WriteFile(std::string_view relative, std::string_view bytes) const {
    const std::filesystem::path file = path() / std::filesystem::path(relative);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

void FixtureFolder::MakeFolder(std::string_view relative) const {
    std::filesystem::create_directories(path() / std::filesystem::path(relative));
}

void FixtureFolder::Remove(std::string_view relative) const {
    std::filesystem::remove_all(path() / std::filesystem::path(relative));
}

WorkingDirectoryScope::WorkingDirectoryScope(const std::filesystem::path& folder)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

WorkingDirectoryScope::~WorkingDirectoryScope() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

}  // namespace quillmoor::test_support
