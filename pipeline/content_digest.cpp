#include "pipeline/content_digest.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "platform/file_system.h"

namespace quillmoor {
namespace {

// The first 32 bits of the fractional parts of the cube roots of the first 64 primes.
constexpr std::array<std::uint32_t, 64> kRoundConstants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

// The first 32 bits of the fractional parts of the square roots of the first 8 primes.
constexpr std::array<std::uint32_t, 8> kInitialState = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

constexpr std::size_t kBlockBytes = 64;

std::uint32_t BigEndianWord(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

// Takes the blocks of a file into a digest as they are read.
class DigestReceiver : public FileContentReceiver {
  public:
    void Expect(std::uint64_t) override {}
    void Take(std::string_view block) override { digest_.Add(block); }
    std::string Hex() const { return digest_.Hex(); }

  private:
    Sha256 digest_;
};

}  // namespace

Sha256::Sha256() : state_(kInitialState) {}

void Sha256::Compress(const unsigned char* block) {
    std::array<std::uint32_t, 64> schedule;
    for (std::size_t t = 0; t < 16; ++t) {
        schedule[t] = BigEndianWord(block + 4 * t);
    }
    for (std::size_t t = 16; t < 64; ++t) {
        const std::uint32_t w15 = schedule[t - 15];
        const std::uint32_t w2 = schedule[t - 2];
        const std::uint32_t sigma0 = std::rotr(w15, 7) ^ std::rotr(w15, 18) ^ (w15 >> 3);
        const std::uint32_t sigma1 = std::rotr(w2, 17) ^ std::rotr(w2, 19) ^ (w2 >> 10);
        schedule[t] = sigma1 + schedule[t - 7] + sigma0 + schedule[t - 16];
    }
    std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    std::uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
    for (std::size_t t = 0; t < 64; ++t) {
        const std::uint32_t big_sigma1 = std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25);
        const std::uint32_t choice = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + big_sigma1 + choice + kRoundConstants[t] + schedule[t];
        const std::uint32_t big_sigma0 = std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = big_sigma0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
    state_[5] += f;
    state_[6] += g;
    state_[7] += h;
}

void Sha256::Add(std::string_view bytes) {
    total_bytes_ += bytes.size();
    const auto* next = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t left = bytes.size();
    if (pending_bytes_ > 0) {
        const std::size_t taken = std::min(left, kBlockBytes - pending_bytes_);
        std::copy(next, next + taken, pending_.begin() + pending_bytes_);
        pending_bytes_ += taken;
        next += taken;
        left -= taken;
        if (pending_bytes_ < kBlockBytes) {
            return;
        }
        Compress(pending_.data());
        pending_bytes_ = 0;
    }
    for (; left >= kBlockBytes; next += kBlockBytes, left -= kBlockBytes) {
        Compress(next);
    }
    std::copy(next, next + left, pending_.begin());
    pending_bytes_ = left;
}

std::string Sha256::Hex() const {
    // The padding: a 1 bit, zeros up to 8 bytes short of a block's end, then the length in
    // bits as a 64-bit big-endian number (the length is taken modulo 2^64 bits).
    Sha256 finished = *this;
    const std::uint64_t bits = total_bytes_ * 8;
    std::array<unsigned char, kBlockBytes + 8> padding{};
    padding[0] = 0x80;
    const std::size_t zeros_end =
        (pending_bytes_ < kBlockBytes - 8 ? kBlockBytes : 2 * kBlockBytes) - 8 - pending_bytes_;
    for (std::size_t i = 0; i < 8; ++i) {
        padding[zeros_end + i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    }
    finished.Add({reinterpret_cast<const char*>(padding.data()), zeros_end + 8});

    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(64);
    for (const std::uint32_t word : finished.state_) {
        for (int shift = 28; shift >= 0; shift -= 4) {
            hex += kDigits[(word >> shift) & 0xF];
        }
    }
    return hex;
}

std::string Sha256Hex(std::string_view bytes) {
    Sha256 digest;
    digest.Add(bytes);
    return digest.Hex();
}

std::string Sha256HexOfFile(const std::u16string& path) {
    DigestReceiver receiver;
    ReadFileContent(path, std::numeric_limits<std::uint64_t>::max(), receiver);
    return receiver.Hex();
}

}  // namespace quillmoor
