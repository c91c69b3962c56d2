// The fixed version record of an executable file: four 16-bit words.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace quillmoor {

struct FileVersion {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t release = 0;
    uint16_t build = 0;

    friend bool operator==(const FileVersion&, const FileVersion&) = default;

    // The four numbers joined by ".", e.g. "78.3.9.0".
    std::u16string ToText() const;
};

// The file version of the executable or library at path, from its fixed version record.
// A file without a version record reads as 0.0.0.0. Throws FileSystemError when the file
// cannot be read.
FileVersion ReadFileVersion(const std::u16string& path);

}  // namespace quillmoor
