// A temporary folder made by a test, removed with everything in it at the end, with the
// file operations the start-up tests build their engine folders with.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/no_copy.h"
#include "tests/support/test_folder.h"

namespace quillmoor::test_support {

class FixtureFolder : public TestFolder {
  public:
    const std::filesystem::path& path() const { return Root(); }

    // Writes a file at a path relative to the folder ("/" between names), creating the
    // folders on the way.
    void WriteFile(std::string_view relative, std::string_view bytes = "") const;
    void MakeFolder(std::string_view relative) const;
    void Remove(std::string_view relative) const;
};

// Makes a folder the working directory for as long as it lives.
class WorkingDirectoryScope {
  public:
    explicit WorkingDirectoryScope(const std::filesystem::path& folder);
    ~WorkingDirectoryScope();
    QUILLMOOR_NO_COPY(WorkingDirectoryScope);

  private:
    std::filesystem::path previous_;
};

}  // namespace quillmoor::test_support
