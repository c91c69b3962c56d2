#include "pipeline/page_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "pipeline/line_break_normalizer.h"
#include "pipeline/page_text_decoder.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// Text is encoded in slices of this many code units, and handed to the file in blocks of
// at least this many bytes.
constexpr std::size_t kSliceUnits = 32 * 1024;
constexpr std::size_t kWriteBytes = 512 * 1024;

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
        const auto has_zero_unit = [](std::uint64_t v) {
            return ((v - kOnes) & ~v & kHighBits) != 0;
        };
        return has_zero_unit(word ^ (kOnes * '\r')) || has_zero_unit(word ^ (kOnes * '\n'));
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

// Calls write for each slice of the pieces, in order, while it returns true. Returns false
// when write did.
template <class SliceWriter>
bool ForEachSlice(std::initializer_list<std::u16string_view> pieces, SliceWriter write) {
    for (const std::u16string_view piece : pieces) {
        for (std::size_t start = 0; start < piece.size();) {
            const std::size_t end = Utf16SliceEnd(piece, start, kSliceUnits);
            if (!write(piece.substr(start, end - start))) {
                return false;
            }
            start = end;
        }
    }
    return true;
}

// Whether a writer stops at the first character its encoding loses.
enum class Loss { kIgnored, kStops };

// Writes the pieces into sink as UTF-8, without a mark. When loss stops it, stops and returns
// false, having written part of them, at an unpaired surrogate.
bool WriteUtf8Slices(FileContentSink& sink, std::initializer_list<std::u16string_view> pieces,
                     LineBreaks line_breaks, Loss loss) {
    LineBreakNormalizer normalizer;
    // A code unit takes three bytes at most, a line break included.
    std::size_t units = 0;
    for (const std::u16string_view piece : pieces) {
        units += piece.size();
    }
    std::string bytes(std::min(3 * units, kWriteBytes + 3 * kSliceUnits), '\0');
    std::size_t used = 0;
    const bool whole = ForEachSlice(pieces, [&](std::u16string_view slice) {
        bool well_formed = true;
        char* const at = bytes.data() + used;
        char* const end = line_breaks == LineBreaks::kNormalized
                              ? normalizer.WriteEncodedUtf8(slice, at, well_formed)
                              : WriteUtf16AsUtf8(slice, at, well_formed);
        if (loss == Loss::kStops && !well_formed) {
            return false;
        }
        used = static_cast<std::size_t>(end - bytes.data());
        if (used >= kWriteBytes) {
            sink.Write(std::string_view(bytes).substr(0, used));
            used = 0;
        }
        return true;
    });
    if (whole) {
        sink.Write(std::string_view(bytes).substr(0, used));
    }
    return whole;
}

// Writes the pieces into sink in code_page. When loss stops it, stops and returns false,
// having written part of them, at a character that does not survive the code page.
bool WriteCodePageSlices(FileContentSink& sink, std::initializer_list<std::u16string_view> pieces,
                         const AnsiCodePage& code_page, LineBreaks line_breaks, Loss loss) {
    LineBreakNormalizer normalizer;
    std::u16string normalized;
    std::string bytes;
    const bool whole = ForEachSlice(pieces, [&](std::u16string_view slice) {
        if (line_breaks == LineBreaks::kNormalized) {
            normalized.resize(std::max(normalized.size(), 2 * slice.size()));
            const char16_t* const end = normalizer.Write(slice, normalized.data());
            slice = {normalized.data(), static_cast<std::size_t>(end - normalized.data())};
        }
        if (loss == Loss::kIgnored) {
            code_page.EncodeAppend(slice, bytes);
        } else if (!code_page.EncodeAppendChecked(slice, bytes)) {
            return false;
        }
        if (bytes.size() >= kWriteBytes) {
            sink.Write(bytes);
            bytes.clear();
        }
        return true;
    });
    if (whole) {
        sink.Write(bytes);
    }
    return whole;
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
        const std::size_t line_start = StartOfLine(p, read);
        write -= read - line_start;
        std::memmove(p + write, p + line_start, (read - line_start) * sizeof(char16_t));
        read = line_start;
        const char16_t c = p[--read];
        p[--write] = u'\n';
        p[--write] = u'\r';
        if (c == u'\n' && read > 0 && p[read - 1] == u'\r') {
            --read;
        }
    }
}

std::u16string DecodePageText(std::string_view bytes, const AnsiCodePage& code_page,
                              std::size_t spare_units) {
    PageTextDecoder decoder(code_page, spare_units);
    decoder.Expect(bytes.size());
    decoder.Take(bytes);
    return decoder.Finish();
}

void WriteEncodedPage(FileContentSink& sink, std::initializer_list<std::u16string_view> pieces,
                      const AnsiCodePage& code_page, LineBreaks line_breaks) {
    const auto write_in_code_page = [&](Loss loss) {
        return code_page.ConvertsAsUtf8()
                   ? WriteUtf8Slices(sink, pieces, line_breaks, loss)
                   : WriteCodePageSlices(sink, pieces, code_page, line_breaks, loss);
    };
    // Pages nearly always survive their code page: where the sink can take back what it was
    // given, they are checked as they are written instead of in a pass of their own.
    if (sink.CanRewind()) {
        if (write_in_code_page(Loss::kStops)) {
            return;
        }
        sink.Rewind();
    } else if (std::all_of(pieces.begin(), pieces.end(), [&](std::u16string_view piece) {
                   return code_page.CanEncodeExactly(piece);
               })) {
        write_in_code_page(Loss::kIgnored);
        return;
    }
    sink.Write(kUtf8Mark);
    WriteUtf8Slices(sink, pieces, line_breaks, Loss::kIgnored);
}

}  // namespace quillmoor
