// Writes small but valid PE images (Windows .dll files) for tests: a chosen machine and,
// when asked, a version resource carrying a chosen file version.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_version.h"

namespace quillmoor::test_support {

struct PeImageShape {
    uint16_t machine = 0x014C;           // i386
    std::optional<FileVersion> version;  // no version: no resource section at all
};

// PE32 for every machine but x64, which gets the PE32+ form as real x64 images do.
std::string BuildPeImage(const PeImageShape& shape);

}  // namespace quillmoor::test_support
