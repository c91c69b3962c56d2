#include "tests/support/test_folder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quillmoor::test_support {

namespace fs = std::filesystem;

TestFolder::TestFolder() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("quillmoor-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            root_ = fs::canonical(candidate);
            // Readable and passable for the unprivileged children of some tests.
            fs::permissions(root_, fs::perms::owner_all | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read |
                                       fs::perms::others_exec);
            return;
        }
    }
    throw std::runtime_error("Cannot create a test folder");
}

TestFolder::~TestFolder() {
    std::error_code ignored;
    // Give write access back everywhere, so that a folder made read-only can be removed.
    for (auto it = fs::recursive_directory_iterator(root_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(root_, ignored);
}

std::u16string TestFolder::Path(std::u16string_view name) const {
    return (root_ / fs::path(std::u16string(name))).u16string();
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("Cannot read " + path.string());
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("Cannot write " + path.string());
    }
}

std::vector<std::string> NamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

#ifndef _WIN32
ChildOutcome RunWithoutPrivileges(const std::function<int(std::string& output)>& body) {
    int channel[2];
    if (pipe(channel) != 0) {
        throw std::runtime_error("Cannot create a pipe");
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(101);
        }
        std::string output;
        int code = 100;
        try {
            code = body(output);
        } catch (...) {
        }
        const ssize_t ignored = write(channel[1], output.data(), output.size());
        (void)ignored;
        _exit(code);
    }
    close(channel[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t count; (count = read(channel[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, static_cast<size_t>(count));
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}
#endif

}  // namespace quillmoor::test_support
