// SHA-256 digests (FIPS 180-4) of bytes and of files, as lowercase hexadecimal text: what a
// site-layout run keeps of a source page and of a widget snippet to tell later whether
// either has changed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillmoor {

// A SHA-256 digest taken over bytes handed in piece by piece: the same bytes give the same
// digest however they are split.
class Sha256 {
  public:
    Sha256();

    void Add(std::string_view bytes);
    // The digest of everything added so far, as 64 lowercase hexadecimal digits. More bytes
    // may be added afterwards.
    std::string Hex() const;

  private:
    // Runs the compression function over the 64 bytes at block.
    void Compress(const unsigned char* block);

    std::array<std::uint32_t, 8> state_;
    std::array<unsigned char, 64> pending_{};  // the start of a block not yet compressed
    std::size_t pending_bytes_ = 0;
    std::uint64_t total_bytes_ = 0;
};

// The SHA-256 digest of bytes, as 64 lowercase hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

// The SHA-256 digest of the file at path, as 64 lowercase hexadecimal digits. The file is read
// block by block through ReadFileContent, so a file of any size is taken (no limit is set,
// unlike the page reader's kMaxPageFileBytes), without holding more than a block in memory.
// Throws FileSystemError when the file cannot be opened or read or is no regular file.
std::string Sha256HexOfFile(const std::u16string& path);

}  // namespace quillmoor
