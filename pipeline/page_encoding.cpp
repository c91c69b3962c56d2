#include "pipeline/page_encoding.h"

#include <algorithm>
#include <stdexcept>

#include "pipeline/page_text_decoder.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

// Text is encoded in slices of this many code units, and handed to the file in blocks of
// at least this many bytes.
constexpr std::size_t kSliceUnits = 32 * 1024;
constexpr std::size_t kWriteBytes = 512 * 1024;

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

std::u16string DecodePageText(std::string_view bytes, const AnsiCodePage& code_page,
                              std::size_t spare_units) {
    PageTextDecoder decoder(code_page, spare_units);
    decoder.Expect(bytes.size());
    decoder.Take(bytes);
    std::u16string text = decoder.Finish();
    const AnsiCodePage* const legacy = LegacyPageCodePage();
    if (decoder.FoundInvalidUtf8() && legacy != nullptr) {
        return DecodePageText(bytes, *legacy, spare_units);
    }
    return text;
}

const AnsiCodePage* LegacyPageCodePage() {
    static const std::optional<AnsiCodePage> legacy = []() -> std::optional<AnsiCodePage> {
        try {
            return AnsiCodePage::ForCodePage(1252);
        } catch (const std::invalid_argument&) {
            return std::nullopt;
        }
    }();
    return legacy ? &*legacy : nullptr;
}

PageEncoding::PageEncoding(std::optional<AnsiCodePage> code_page)
    : code_page_(std::move(code_page)) {}

PageEncoding PageEncoding::InCodePage(const AnsiCodePage& code_page) {
    return PageEncoding(code_page);
}

PageEncoding PageEncoding::Utf8WithMark() {
    return PageEncoding(std::nullopt);
}

void WriteEncodedPage(FileContentSink& sink, std::initializer_list<std::u16string_view> pieces,
                      const AnsiCodePage& code_page, LineBreaks line_breaks) {
    WriteEncodedPage(sink, pieces, PageEncoding::InCodePage(code_page), line_breaks);
}

void WriteEncodedPage(FileContentSink& sink, std::initializer_list<std::u16string_view> pieces,
                      const PageEncoding& encoding, LineBreaks line_breaks) {
    if (!encoding.CodePage()) {
        sink.Write(kUtf8ByteOrderMark);
        WriteUtf8Slices(sink, pieces, line_breaks, Loss::kIgnored);
        return;
    }
    const AnsiCodePage& code_page = *encoding.CodePage();
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
    sink.Write(kUtf8ByteOrderMark);
    WriteUtf8Slices(sink, pieces, line_breaks, Loss::kIgnored);
}

}  // namespace quillmoor
