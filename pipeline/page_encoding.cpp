#include "pipeline/page_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/utf.h"

namespace quillmoor {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
constexpr char16_t kReplacementCharacter = 0xFFFD;
// Text is encoded and handed to the file in slices of this many code units.
constexpr std::size_t kSliceUnits = 256 * 1024;

// Tests several code units at once: a 64-bit word holds 8 bytes or 4 UTF-16 units.
template <class Char>
struct PackedUnits {
    static constexpr std::size_t kCount = sizeof(std::uint64_t) / sizeof(Char);
    static constexpr std::uint64_t kOnes =
        ~std::uint64_t{0} / ((std::uint64_t{1} << (8 * sizeof(Char))) - 1);
    static constexpr std::uint64_t kHighBits = kOnes << (8 * sizeof(Char) - 1);

    static std::uint64_t Load(const Char* p) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        return word;
    }
    // True when a unit of word is CR or LF.
    static bool HoldsLineBreak(std::uint64_t word) {
        const auto hasZeroUnit = [](std::uint64_t v) {
            return ((v - kOnes) & ~v & kHighBits) != 0;
        };
        return hasZeroUnit(word ^ (kOnes * '\r')) || hasZeroUnit(word ^ (kOnes * '\n'));
    }
};

template <class Char>
bool IsLineBreak(Char c) {
    return c == Char('\r') || c == Char('\n');
}

// The growth that normalising the line breaks of text brings, counted on its code units
// (or on its bytes, where CR and LF are single bytes).
template <class Char>
std::size_t GrowthOfLineBreaks(std::basic_string_view<Char> text) {
    using Packed = PackedUnits<Char>;
    const Char* p = text.data();
    const std::size_t n = text.size();
    std::size_t growth = 0;
    for (std::size_t i = 0; i < n;) {
        if (i + Packed::kCount <= n && !Packed::HoldsLineBreak(Packed::Load(p + i))) {
            i += Packed::kCount;
            continue;
        }
        const std::size_t end = std::min(n, i + Packed::kCount);
        for (; i < end; ++i) {
            if (p[i] == Char('\n')) {
                growth += i == 0 || p[i - 1] != Char('\r');
            } else if (p[i] == Char('\r')) {
                growth += i + 1 == n || p[i + 1] != Char('\n');
            }
        }
    }
    return growth;
}

// The position just after the last line break before end, or 0.
std::size_t StartOfLine(const char16_t* p, std::size_t end) {
    using Packed = PackedUnits<char16_t>;
    while (end >= Packed::kCount &&
           !Packed::HoldsLineBreak(Packed::Load(p + end - Packed::kCount))) {
        end -= Packed::kCount;
    }
    while (end > 0 && !IsLineBreak(p[end - 1])) {
        --end;
    }
    return end;
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string text((bytes.size() + 1) / 2, u'\0');
    const auto byte = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text[i / 2] = bigEndian ? static_cast<char16_t>(byte(i) << 8 | byte(i + 1))
                                : static_cast<char16_t>(byte(i + 1) << 8 | byte(i));
    }
    if (bytes.size() % 2 != 0) {
        text.back() = kReplacementCharacter;
    }
    return text;
}

}  // namespace

std::size_t LineBreakGrowth(std::u16string_view text) {
    return GrowthOfLineBreaks(text);
}

void NormalizeLineBreaks(std::u16string& text) {
    const std::size_t growth = LineBreakGrowth(text);
    if (growth == 0) {
        return;
    }
    // Widen in place from the end, line by line, so that every code unit moves at most
    // once; once the breaks that grow are all behind, the rest stays where it is.
    std::size_t read = text.size();
    std::size_t write = read + growth;
    text.resize(write);
    char16_t* const p = text.data();
    while (write > read) {
        const std::size_t lineStart = StartOfLine(p, read);
        write -= read - lineStart;
        std::memmove(p + write, p + lineStart, (read - lineStart) * sizeof(char16_t));
        read = lineStart;
        const char16_t c = p[--read];
        p[--write] = u'\n';
        p[--write] = u'\r';
        if (c == u'\n' && read > 0 && p[read - 1] == u'\r') {
            --read;
        }
    }
}

std::u16string DecodePageText(std::string_view bytes, const AnsiCodePage& codePage,
                              std::size_t spareUnits) {
    std::u16string text;
    const bool utf8 = bytes.starts_with(kUtf8Mark);
    const bool utf16 = !utf8 && (bytes.starts_with(kUtf16LittleEndianMark) ||
                                 bytes.starts_with(kUtf16BigEndianMark));
    if (!utf16) {
        const std::string_view body = utf8 ? bytes.substr(kUtf8Mark.size()) : bytes;
        // CR and LF are single bytes in UTF-8 and in every ANSI code page, and no byte
        // gives more than one code unit: this is room enough for the normalised text.
        text.reserve(body.size() + GrowthOfLineBreaks(body) + spareUnits);
        if (utf8) {
            AppendUtf8AsUtf16(body, text);
        } else {
            codePage.DecodeAppend(body, text);
        }
    } else {
        text = DecodeUtf16(bytes.substr(2), bytes.starts_with(kUtf16BigEndianMark));
        text.reserve(text.size() + LineBreakGrowth(text) + spareUnits);
    }
    NormalizeLineBreaks(text);
    return text;
}

void WriteEncodedPage(FileContentSink& sink, std::initializer_list<std::u16string_view> pieces,
                      const AnsiCodePage& codePage) {
    const bool inCodePage =
        std::all_of(pieces.begin(), pieces.end(),
                    [&](std::u16string_view piece) { return codePage.CanEncodeExactly(piece); });
    if (!inCodePage) {
        sink.Write(kUtf8Mark);
    }
    std::string slice;
    for (const std::u16string_view piece : pieces) {
        for (std::size_t start = 0; start < piece.size();) {
            const std::size_t end = Utf16SliceEnd(piece, start, kSliceUnits);
            slice.clear();
            if (inCodePage) {
                codePage.EncodeAppend(piece.substr(start, end - start), slice);
            } else {
                AppendUtf16AsUtf8(piece.substr(start, end - start), slice);
            }
            sink.Write(slice);
            start = end;
        }
    }
}

}  // namespace quillmoor
