// Helpers for tests that work on real files: a temporary folder removed at the end, whole
// file reads and writes, and (on POSIX systems) running code as an unprivileged user.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/no_copy.h"

namespace quillmoor::test_support {

// A fresh folder below the system's temporary folder, removed with everything in it.
class TestFolder {
  public:
    TestFolder();
    ~TestFolder();
    QUILLMOOR_NO_COPY(TestFolder);

    const std::filesystem::path& Root() const { return root_; }
    // The path of name inside the folder, as the program's own text.
    std::u16string Path(std::u16string_view name) const;

  private:
    std::filesystem::path root_;
};

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
// The names in a folder, sorted.
std::vector<std::string> NamesIn(const std::filesystem::path& folder);

#ifndef _WIN32
// What a child process reported.
struct ChildOutcome {
    int exit_code;
    std::string output;
};

// Runs body in a child process that has dropped root's privileges (it runs as the user and
// group 65534), so that file permissions hold for it. body may fill output; its return
// value is the child's exit code (an exception gives 100).
ChildOutcome RunWithoutPrivileges(const std::function<int(std::string& output)>& body);
#endif

}  // namespace quillmoor::test_support
