// Random access to the bytes of a file or of a buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillmoor {

// Returns the count bytes at offset, or nothing when the source ends before offset + count.
// May throw when the source cannot be read at all.
using ByteRangeReader = std::function<std::optional<std::string>(uint64_t offset, size_t count)>;

// A reader over bytes held in memory (the caller keeps them alive).
inline ByteRangeReader MemoryByteRangeReader(std::string_view bytes) {
    return [bytes](uint64_t offset, size_t count) -> std::optional<std::string> {
        if (offset > bytes.size() || count > bytes.size() - offset) {
            return std::nullopt;
        }
        return std::string(bytes.substr(static_cast<size_t>(offset), count));
    };
}

// Little-endian numbers inside a byte run; the caller has checked the bounds.
inline uint16_t LittleEndian16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

inline uint32_t LittleEndian32(std::string_view bytes, size_t at) {
    return static_cast<uint32_t>(LittleEndian16(bytes, at)) |
           static_cast<uint32_t>(LittleEndian16(bytes, at + 2)) << 16;
}

}  // namespace quillmoor
