#include "platform/file_bytes.h"
#include "platform/file_version.h"
#include "platform/pe_version_reader.h"

namespace quillmoor {

// No system call reads version records here: the file is read as a PE image.
FileVersion ReadFileVersion(const std::u16string& path) {
    const PeVersionReader reader(
        [&path](uint64_t offset, size_t count) { return ReadFileBytesAt(path, offset, count); });
    return reader.FixedFileVersion().value_or(FileVersion{});
}

}  // namespace quillmoor
