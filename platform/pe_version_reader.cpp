#include "platform/pe_version_reader.h"

#include <algorithm>
#include <vector>

#include "platform/executable_header.h"

namespace quillmoor {
namespace {

constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kVersionResourceType = 16;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BDu;
constexpr size_t kFixedFileInfoSize = 52;
// No version block comes near this size; it bounds what a broken image can make us read.
constexpr uint32_t kLargestVersionBlock = 64 * 1024;

}  // namespace

std::optional<FileVersion> PeVersionReader::FixedFileVersion() const {
    const std::optional<std::string> dos = image_(0, kDosHeaderSize);
    if (!dos || (*dos)[0] != 'M' || (*dos)[1] != 'Z') {
        return std::nullopt;
    }
    const uint32_t nt_offset = LittleEndian32(*dos, 0x3C);
    const std::optional<std::string> file_header = image_(nt_offset, 24);
    if (nt_offset == 0 || !file_header ||
        file_header->compare(0, 4, std::string_view("PE\0\0", 4)) != 0) {
        return std::nullopt;
    }
    const uint16_t section_count = LittleEndian16(*file_header, 6);
    const uint16_t optional_size = LittleEndian16(*file_header, 20);
    const uint64_t optional_offset = uint64_t{nt_offset} + 24;
    const std::optional<std::string> optional = image_(optional_offset, optional_size);
    if (!optional || optional_size < 2) {
        return std::nullopt;
    }
    size_t directories_at = 0;
    switch (LittleEndian16(*optional, 0)) {
        case kPe32Magic:
            directories_at = 96;
            break;
        case kPe32PlusMagic:
            directories_at = 112;
            break;
        default:
            return std::nullopt;
    }
    if (optional_size < directories_at ||
        LittleEndian32(*optional, directories_at - 4) <= kResourceDirectoryIndex ||
        optional_size < directories_at + 8 * (kResourceDirectoryIndex + 1)) {
        return std::nullopt;
    }
    const uint32_t resource_rva =
        LittleEndian32(*optional, directories_at + 8 * kResourceDirectoryIndex);
    if (resource_rva == 0) {
        return std::nullopt;
    }

    const std::optional<std::string> table =
        image_(optional_offset + optional_size, size_t{section_count} * 40);
    if (!table) {
        return std::nullopt;
    }
    std::vector<Section> sections(section_count);
    for (size_t i = 0; i < section_count; ++i) {
        const size_t at = i * 40;
        sections[i] = Section{LittleEndian32(*table, at + 12), LittleEndian32(*table, at + 8),
                              LittleEndian32(*table, at + 16), LittleEndian32(*table, at + 20)};
    }
    const std::optional<uint64_t> resource_base = FileOffsetOf(resource_rva, sections);
    if (!resource_base) {
        return std::nullopt;
    }

    // Type 16 (version), then its first name, then its first language: a data entry.
    bool is_directory = false;
    std::optional<uint32_t> entry =
        FindResourceEntry(*resource_base, 0, kVersionResourceType, &is_directory);
    for (int level = 0; level < 2 && entry && is_directory; ++level) {
        entry = FindResourceEntry(*resource_base, *entry, std::nullopt, &is_directory);
    }
    if (!entry || is_directory) {
        return std::nullopt;
    }
    const std::optional<std::string> data_entry = image_(*resource_base + *entry, 16);
    if (!data_entry) {
        return std::nullopt;
    }
    const uint32_t data_size = LittleEndian32(*data_entry, 4);
    const std::optional<uint64_t> data_offset =
        FileOffsetOf(LittleEndian32(*data_entry, 0), sections);
    if (!data_offset || data_size > kLargestVersionBlock) {
        return std::nullopt;
    }
    const std::optional<std::string> block = image_(*data_offset, data_size);
    if (!block) {
        return std::nullopt;
    }
    return ParseVersionInfo(*block);
}

std::optional<uint64_t> PeVersionReader::FileOffsetOf(uint32_t rva,
                                                      const std::vector<Section>& sections) const {
    for (const Section& section : sections) {
        const uint32_t extent = std::max(section.virtual_size, section.raw_size);
        if (rva >= section.virtual_address && rva - section.virtual_address < extent) {
            const uint32_t inside = rva - section.virtual_address;
            if (inside >= section.raw_size) {
                return std::nullopt;  // not backed by file data
            }
            return uint64_t{section.raw_offset} + inside;
        }
    }
    return std::nullopt;
}

std::optional<uint32_t> PeVersionReader::FindResourceEntry(uint64_t resource_base,
                                                           uint32_t directory,
                                                           std::optional<uint32_t> id,
                                                           bool* is_directory) const {
    const std::optional<std::string> header = image_(resource_base + directory, 16);
    if (!header) {
        return std::nullopt;
    }
    const uint32_t named = LittleEndian16(*header, 12);
    const uint32_t ids = LittleEndian16(*header, 14);
    const uint32_t total = named + ids;
    if (total == 0) {
        return std::nullopt;
    }
    const std::optional<std::string> entries =
        image_(resource_base + directory + 16, size_t{total} * 8);
    if (!entries) {
        return std::nullopt;
    }
    for (uint32_t i = 0; i < total; ++i) {
        const uint32_t name = LittleEndian32(*entries, i * 8);
        const uint32_t target = LittleEndian32(*entries, i * 8 + 4);
        if (!id || ((name & kHighBit) == 0 && name == *id)) {
            *is_directory = (target & kHighBit) != 0;
            return target & ~kHighBit;
        }
    }
    return std::nullopt;
}

std::optional<FileVersion> PeVersionReader::ParseVersionInfo(const std::string& block) {
    // VS_VERSIONINFO: length, value length, type, the key "VS_VERSION_INFO" in UTF-16 with
    // its terminator, padding to a 32-bit boundary, then VS_FIXEDFILEINFO.
    static constexpr char16_t kKey[] = u"VS_VERSION_INFO";
    constexpr size_t kKeyAt = 6;
    constexpr size_t kKeyBytes = sizeof(kKey);  // with the terminator
    constexpr size_t kFixedAt = (kKeyAt + kKeyBytes + 3) & ~size_t{3};
    if (block.size() < kFixedAt + kFixedFileInfoSize ||
        LittleEndian16(block, 2) < kFixedFileInfoSize) {
        return std::nullopt;
    }
    for (size_t i = 0; i < kKeyBytes / 2; ++i) {
        if (LittleEndian16(block, kKeyAt + 2 * i) != kKey[i]) {
            return std::nullopt;
        }
    }
    if (LittleEndian32(block, kFixedAt) != kFixedFileInfoSignature) {
        return std::nullopt;
    }
    const uint32_t ms = LittleEndian32(block, kFixedAt + 8);
    const uint32_t ls = LittleEndian32(block, kFixedAt + 12);
    return FileVersion{static_cast<uint16_t>(ms >> 16), static_cast<uint16_t>(ms & 0xFFFF),
                       static_cast<uint16_t>(ls >> 16), static_cast<uint16_t>(ls & 0xFFFF)};
}

}  // namespace quillmoor
