// Reading a run of bytes from a file at a given offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quillmoor {

// Reads count bytes of the file at path, starting at offset. Returns nothing when the file
// is shorter than offset + count. Throws FileSystemError when the file cannot be opened or
// read.
std::optional<std::string> ReadFileBytesAt(const std::u16string& path, uint64_t offset,
                                           size_t count);

}  // namespace quillmoor
