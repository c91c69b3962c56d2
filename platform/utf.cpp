#include "platform/utf.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/utf_primitives.h"

namespace quillmoor {
namespace {

using utf::IsHighSurrogate;
using utf::IsLowSurrogate;
using utf::IsSurrogate;

// True when one of the four code units at p is a surrogate.
bool FourUnitsHoldASurrogate(const char16_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    // Surrogates are D800 to DFFF: the units whose top five bits are 11011.
    const std::uint64_t v = (word & 0xF800F800F800F800ULL) ^ 0xD800D800D800D800ULL;
    return ((v - 0x0001000100010001ULL) & ~v & 0x8000800080008000ULL) != 0;
}

}  // namespace

void AppendUtf8AsUtf16(std::string_view utf8, std::u16string& out) {
    const size_t start = out.size();
    // A byte never gives more than one code unit.
    out.resize(start + utf8.size());
    bool ok = true;
    char16_t* const dest =
        utf::Convert(utf8.data(), utf8.data() + utf8.size(), out.data() + start, ok);
    out.resize(static_cast<size_t>(dest - out.data()));
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    AppendUtf8AsUtf16(utf8, out);
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    const char* in = bytes.data();
    const char* const end = in + bytes.size();
    bool ok = true;
    while (in < end && ok) {
        utf::DecodeUtf8Sequence(in, end, ok);
    }
    return ok;
}

size_t Utf8PieceEnd(std::string_view utf8) {
    // Sequences are at most four bytes long: only one starting among the last three bytes
    // can run past the end. A lead byte is never part of an earlier sequence, so the
    // decoding of what comes before it does not change.
    const size_t n = utf8.size();
    for (size_t q = n > 3 ? n - 3 : 0; q < n; ++q) {
        if (q + utf::Utf8SequenceLength(static_cast<unsigned char>(utf8[q])) > n) {
            return q;
        }
    }
    return n;
}

char* WriteUtf16AsUtf8(std::u16string_view utf16, char* out, bool& well_formed) {
    return utf::Convert(utf16.data(), utf16.data() + utf16.size(), out, well_formed);
}

bool AppendUtf16AsUtf8(std::u16string_view utf16, std::string& out) {
    const size_t n = utf16.size();
    // First the exact length, so that the bytes are written in one go. Without surrogates
    // each unit's length follows from its value alone, which makes a quick count.
    // Counted in blocks small enough for 16-bit sums, which the compiler vectorises well.
    size_t length = n;
    size_t surrogates = 0;
    constexpr size_t kBlock = 8192;
    for (size_t block = 0; block < n; block += kBlock) {
        const size_t end = std::min(n, block + kBlock);
        std::uint16_t extra = 0;
        std::uint16_t surrogates_in_block = 0;
        for (size_t i = block; i < end; ++i) {
            const char16_t c = utf16[i];
            extra = static_cast<std::uint16_t>(extra + (c >= 0x80) + (c >= 0x800));
            surrogates_in_block =
                static_cast<std::uint16_t>(surrogates_in_block + ((c & 0xF800) == 0xD800));
        }
        length += extra;
        surrogates += surrogates_in_block;
    }
    if (surrogates > 0) {
        length = 0;
        bool ignored = true;
        for (const char16_t* in = utf16.data(); in < utf16.data() + n;) {
            length += utf::Utf8LengthOf(utf::ReadUtf16CodePoint(in, utf16.data() + n, ignored));
        }
    }
    const size_t start = out.size();
    out.resize(start + length);
    bool well_formed = true;
    WriteUtf16AsUtf8(utf16, out.data() + start, well_formed);
    return well_formed;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    AppendUtf16AsUtf8(utf16, out);
    return out;
}

bool IsWellFormedUtf16(std::u16string_view utf16) {
    for (size_t i = 0; i < utf16.size(); ++i) {
        while (i + 4 <= utf16.size() && !FourUnitsHoldASurrogate(utf16.data() + i)) {
            i += 4;
        }
        if (i == utf16.size()) {
            break;
        }
        const char16_t c = utf16[i];
        if (!IsSurrogate(c)) {
            continue;
        }
        if (!IsHighSurrogate(c) || i + 1 == utf16.size() || !IsLowSurrogate(utf16[i + 1])) {
            return false;
        }
        ++i;
    }
    return true;
}

size_t Utf16SliceEnd(std::u16string_view text, size_t start, size_t max_units) {
    size_t end = std::min(text.size(), start + max_units);
    if (end > start + 1 && end < text.size() && IsHighSurrogate(text[end - 1])) {
        --end;
    }
    return end;
}

}  // namespace quillmoor
