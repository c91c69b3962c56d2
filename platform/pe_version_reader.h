// Reads the fixed version record of a PE image (a Windows .exe or .dll) from its resource
// section, without any help from the system, so that it works on every platform.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/byte_range_reader.h"
#include "platform/file_version.h"

namespace quillmoor {

class PeVersionReader {
  public:
    explicit PeVersionReader(ByteRangeReader image) : image_(std::move(image)) {}

    // The file version of the image's first version resource. Nothing when the image is not
    // a PE image, has no version resource, or its resources are malformed. Errors of the
    // reader itself (a file that cannot be read) are passed on.
    std::optional<FileVersion> FixedFileVersion() const;

  private:
    struct Section {
        uint32_t virtual_address = 0;
        uint32_t virtual_size = 0;
        uint32_t raw_size = 0;
        uint32_t raw_offset = 0;
    };

    // The file offset of an address of the loaded image, through the section table.
    std::optional<uint64_t> FileOffsetOf(uint32_t rva, const std::vector<Section>& sections) const;
    // The offset (inside the resource section) of the target of a directory's entry: the
    // entry with the given id, or the first entry when id is not given. Sets is_directory.
    std::optional<uint32_t> FindResourceEntry(uint64_t resource_base, uint32_t directory,
                                              std::optional<uint32_t> id, bool* is_directory) const;
    static std::optional<FileVersion> ParseVersionInfo(const std::string& block);

    ByteRangeReader image_;
};

}  // namespace quillmoor
