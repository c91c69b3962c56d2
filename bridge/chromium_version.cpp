#include "bridge/chromium_version.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>

extern char** environ;

namespace quillmoor::bridge {

std::optional<ChromiumVersion> ChromiumVersion::Parse(std::string_view text) {
    for (std::size_t start = 0; start < text.size(); ++start) {
        if (!std::isdigit(static_cast<unsigned char>(text[start])) ||
            (start > 0 && std::isdigit(static_cast<unsigned char>(text[start - 1])))) {
            continue;
        }
        ChromiumVersion version;
        const char* at = text.data() + start;
        const char* end = text.data() + text.size();
        bool complete = true;
        for (std::size_t part = 0; part < 4 && complete; ++part) {
            auto [next, error] = std::from_chars(at, end, version.parts_[part]);
            complete = error == std::errc() && (part == 3 || (next != end && *next == '.'));
            at = next + 1;
        }
        if (complete) {
            return version;
        }
    }
    return std::nullopt;
}

std::optional<ChromiumVersion> ChromiumVersion::OfExecutable(const std::string& executable) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string program = executable;
    std::string flag = "--version";
    char* argv[] = {program.data(), flag.data(), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, executable.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    if (spawned == 0) {
        char chunk[512];
        ssize_t got = 0;
        while ((got = read(out[0], chunk, sizeof chunk)) > 0 || (got < 0 && errno == EINTR)) {
            if (got > 0 && text.size() < 4096) {
                text.append(chunk, static_cast<std::size_t>(got));
            }
        }
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    close(out[0]);
    return Parse(text);
}

}  // namespace quillmoor::bridge
