#include "bridge/temporary_profile.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace quillmoor::bridge {

namespace {

constexpr std::string_view kPrefix = "quillmoor-chromium-";

bool ProcessExists(pid_t pid) {
    return kill(pid, 0) == 0 || errno == EPERM;
}

// The process id in a folder name "quillmoor-chromium-<pid>-XXXXXX", or 0.
pid_t OwnerOf(std::string_view name) {
    if (name.substr(0, kPrefix.size()) != kPrefix) {
        return 0;
    }
    name.remove_prefix(kPrefix.size());
    pid_t pid = 0;
    auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end == name.data() || end == name.data() + name.size() ||
        *end != '-') {
        return 0;
    }
    return pid > 0 ? pid : 0;
}

// Removes a profile folder. A Chromium that was killed leaves its singleton folder
// (/tmp/org.chromium.Chromium.XXXXXX, linked from the profile's "SingletonSocket") behind;
// it goes with the profile when it is this user's and named as Chromium names it.
void RemoveProfileFolder(const std::filesystem::path& profile) {
    std::error_code error;
    const auto socket = std::filesystem::read_symlink(profile / "SingletonSocket", error);
    if (!error) {
        const auto singleton = socket.parent_path();
        struct stat info {};
        if (singleton.filename().native().starts_with("org.chromium.Chromium.") &&
            lstat(singleton.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
            info.st_uid == geteuid()) {
            std::filesystem::remove_all(singleton, error);
        }
    }
    std::filesystem::remove_all(profile, error);
}

}  // namespace

std::optional<TemporaryProfile> TemporaryProfile::Create(const std::string& temp_root) {
    std::string path =
        temp_root + "/" + std::string(kPrefix) + std::to_string(getpid()) + "-XXXXXX";
    if (mkdtemp(path.data()) == nullptr) {
        return std::nullopt;
    }
    return TemporaryProfile(std::move(path));
}

std::string TemporaryProfile::DefaultTempRoot() {
    const char* tmpdir = std::getenv("TMPDIR");
    return tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
}

void TemporaryProfile::RemoveAbandoned(const std::string& temp_root) {
    std::error_code error;
    std::filesystem::directory_iterator it(temp_root, error);
    if (error) {
        return;
    }
    for (const auto& entry : it) {
        const pid_t owner = OwnerOf(entry.path().filename().native());
        if (owner == 0 || ProcessExists(owner)) {
            continue;
        }
        struct stat info {};
        // Only real folders of this user: never follow a link, never touch another's files.
        if (lstat(entry.path().c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
            info.st_uid == geteuid()) {
            RemoveProfileFolder(entry.path());
        }
    }
}

TemporaryProfile::TemporaryProfile(TemporaryProfile&& other) noexcept
    : path_(std::move(other.path_)) {
    other.path_.clear();
}

TemporaryProfile::~TemporaryProfile() {
    if (path_.empty()) {
        return;
    }
    RemoveProfileFolder(path_);
}

}  // namespace quillmoor::bridge
