#include "pipeline/page_encoding.h"

#include <algorithm>

#include "platform/utf.h"

namespace quillmoor {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
constexpr char16_t kReplacementCharacter = 0xFFFD;
// Text is encoded and handed to the file in slices of this many code units.
constexpr std::size_t kSliceUnits = 256 * 1024;

// The growth that normalising the line breaks of text brings, counted on its code units
// (or on its bytes, where CR and LF are single bytes).
template <class Char>
std::size_t GrowthOfLineBreaks(std::basic_string_view<Char> text) {
    std::size_t carriageReturns = 0;
    std::size_t lineFeeds = 0;
    std::size_t pairs = 0;
    Char previous = 0;
    for (const Char c : text) {
        carriageReturns += c == Char('\r');
        lineFeeds += c == Char('\n');
        pairs += previous == Char('\r') && c == Char('\n');
        previous = c;
    }
    return carriageReturns + lineFeeds - 2 * pairs;
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
    // Widen in place from the end, so that every code unit moves once.
    std::size_t read = text.size();
    std::size_t write = read + growth;
    text.resize(write);
    while (read > 0) {
        const char16_t c = text[--read];
        if (c == u'\n' || c == u'\r') {
            text[--write] = u'\n';
            text[--write] = u'\r';
            if (c == u'\n' && read > 0 && text[read - 1] == u'\r') {
                --read;
            }
        } else {
            text[--write] = c;
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
