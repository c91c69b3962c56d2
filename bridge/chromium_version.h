// The version of the Chromium the engine library drives.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quillmoor::bridge {

class ChromiumVersion {
  public:
    // The first "major.minor.build.patch" in text ("Chrome/156.0.8078.129",
    // "Chromium 156.0.8078.129 built on ..."); nullopt when there is none.
    static std::optional<ChromiumVersion> Parse(std::string_view text);
    // Asks executable for its version ("--version"); nullopt when it does not tell.
    static std::optional<ChromiumVersion> OfExecutable(const std::string& executable);

    // part 0..3: major, minor, build, patch.
    int Part(int part) const { return parts_[static_cast<std::size_t>(part)]; }

  private:
    std::array<int, 4> parts_{};
};

}  // namespace quillmoor::bridge
