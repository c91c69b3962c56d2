// The fresh profile folder that Chromium runs with, removed when the engine shuts down.
//
// Its name carries the id of the process that made it; a folder left behind by a process
// that ended without shutting the engine down is removed by the next engine start.
#pragma once

#include <optional>
#include <string>

namespace quillmoor::bridge {

class TemporaryProfile {
  public:
    // Creates "quillmoor-chromium-<pid>-XXXXXX" in temp_root; nullopt on failure (errno set).
    static std::optional<TemporaryProfile> Create(const std::string& temp_root);
    // $TMPDIR when set and not empty, otherwise /tmp.
    static std::string DefaultTempRoot();
    // Removes the profile folders in temp_root whose process no longer exists.
    static void RemoveAbandoned(const std::string& temp_root);

    TemporaryProfile(TemporaryProfile&& other) noexcept;
    TemporaryProfile& operator=(TemporaryProfile&&) = delete;
    TemporaryProfile(const TemporaryProfile&) = delete;
    ~TemporaryProfile();  // removes the folder and everything in it

    const std::string& Path() const { return path_; }

  private:
    explicit TemporaryProfile(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

}  // namespace quillmoor::bridge
