#include "platform/utf.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace quillmoor {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// True when the eight bytes at p are all ASCII.
bool EightAsciiBytes(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ULL) == 0;
}

// True when the four code units at p are all ASCII.
bool FourAsciiUnits(const char16_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0xFF80FF80FF80FF80ULL) == 0;
}

// True when one of the four code units at p is a surrogate.
bool FourUnitsHoldASurrogate(const char16_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    // Surrogates are D800 to DFFF: the units whose top five bits are 11011.
    const std::uint64_t v = (word & 0xF800F800F800F800ULL) ^ 0xD800D800D800D800ULL;
    return ((v - 0x0001000100010001ULL) & ~v & 0x8000800080008000ULL) != 0;
}

// Decodes one code point at bytes[pos]; advances pos. Returns kReplacement and advances
// by at least one byte on malformed input; sets *ok to false then.
char32_t DecodeOne(std::string_view bytes, size_t& pos, bool* ok) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        *ok = false;
        return kReplacement;
    }
    size_t i = 1;
    for (; i < length; ++i) {
        if (pos + i >= bytes.size() || (byte(pos + i) & 0xC0) != 0x80) {
            break;
        }
        value = (value << 6) | (byte(pos + i) & 0x3F);
    }
    if (i < length || value < minimum || value > 0x10FFFF || IsSurrogate(value)) {
        pos += i;
        *ok = false;
        return kReplacement;
    }
    pos += length;
    return value;
}

// The code point at utf16[i] and the number of units it takes; an unpaired surrogate
// reads as kReplacement.
char32_t CodePointAt(std::u16string_view utf16, size_t i, size_t* units) {
    const char32_t c = utf16[i];
    *units = 1;
    if (IsHighSurrogate(c) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
        *units = 2;
        return 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
    }
    return IsSurrogate(c) ? kReplacement : c;
}

size_t Utf8LengthOf(char32_t c) {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

}  // namespace

void AppendUtf8AsUtf16(std::string_view utf8, std::u16string& out) {
    const size_t start = out.size();
    // A byte never gives more than one code unit.
    out.resize(start + utf8.size());
    char16_t* dest = out.data() + start;
    const size_t n = utf8.size();
    size_t pos = 0;
    bool ok = true;
    while (pos < n) {
        while (pos + 8 <= n && EightAsciiBytes(utf8.data() + pos)) {
            for (size_t k = 0; k < 8; ++k) {
                dest[k] = static_cast<unsigned char>(utf8[pos + k]);
            }
            dest += 8;
            pos += 8;
        }
        if (pos >= n) {
            break;
        }
        const char32_t c = DecodeOne(utf8, pos, &ok);
        if (c >= 0x10000) {
            *dest++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            *dest++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            *dest++ = static_cast<char16_t>(c);
        }
    }
    out.resize(static_cast<size_t>(dest - out.data()));
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    AppendUtf8AsUtf16(utf8, out);
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    size_t pos = 0;
    bool ok = true;
    while (pos < bytes.size() && ok) {
        DecodeOne(bytes, pos, &ok);
    }
    return ok;
}

void AppendUtf16AsUtf8(std::u16string_view utf16, std::string& out) {
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
        std::uint16_t surrogatesInBlock = 0;
        for (size_t i = block; i < end; ++i) {
            const char16_t c = utf16[i];
            extra = static_cast<std::uint16_t>(extra + (c >= 0x80) + (c >= 0x800));
            surrogatesInBlock =
                static_cast<std::uint16_t>(surrogatesInBlock + ((c & 0xF800) == 0xD800));
        }
        length += extra;
        surrogates += surrogatesInBlock;
    }
    if (surrogates > 0) {
        length = 0;
        for (size_t i = 0; i < n;) {
            size_t units = 0;
            length += Utf8LengthOf(CodePointAt(utf16, i, &units));
            i += units;
        }
    }
    const size_t start = out.size();
    out.resize(start + length);
    char* dest = out.data() + start;
    for (size_t i = 0; i < n;) {
        if (i + 4 <= n && FourAsciiUnits(utf16.data() + i)) {
            for (size_t k = 0; k < 4; ++k) {
                dest[k] = static_cast<char>(utf16[i + k]);
            }
            dest += 4;
            i += 4;
            continue;
        }
        size_t units = 0;
        const char32_t c = CodePointAt(utf16, i, &units);
        i += units;
        if (c < 0x80) {
            *dest++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *dest++ = static_cast<char>(0xC0 | (c >> 6));
            *dest++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *dest++ = static_cast<char>(0xE0 | (c >> 12));
            *dest++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *dest++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *dest++ = static_cast<char>(0xF0 | (c >> 18));
            *dest++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *dest++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *dest++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
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

size_t Utf16SliceEnd(std::u16string_view text, size_t start, size_t maxUnits) {
    size_t end = std::min(text.size(), start + maxUnits);
    if (end > start + 1 && end < text.size() && IsHighSurrogate(text[end - 1])) {
        --end;
    }
    return end;
}

}  // namespace quillmoor
