// How the bytes of a page file become page text, and page text becomes bytes again.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "pipeline/line_break_normalizer.h"
#include "platform/ansi_code_page.h"
#include "platform/file_system.h"

namespace quillmoor {

// The page text that the bytes of a file hold. A byte order mark selects the decoding:
// EF BB BF UTF-8, FF FE UTF-16 little endian, FE FF UTF-16 big endian, tested in this order;
// the mark is not part of the text. Without one the bytes are in code_page, unless
// code_page is UTF-8 and they are not valid UTF-8: then they are in windows-1252 (see
// LegacyPageCodePage). Undecodable bytes become replacement characters (a UTF-16 file of
// odd length ends in U+FFFD); line breaks are normalised as by NormalizeLineBreaks.
// spare_units code units of capacity are left free at the end of the text, so that it can
// grow that much without moving.
std::u16string DecodePageText(std::string_view bytes, const AnsiCodePage& code_page,
                              std::size_t spare_units = 0);

// windows-1252, the web's default for pages in a legacy encoding: pages without a byte order
// mark are read in it on systems whose code page is UTF-8 when they are not valid UTF-8, as
// browsers read such pages, so that their bytes pass through to the browser unchanged.
// Nothing where the system cannot convert it.
const AnsiCodePage* LegacyPageCodePage();

// How page text is put into bytes.
class PageEncoding {
  public:
    // In code_page, without a byte order mark, when every character comes back unchanged
    // from the round trip through it; otherwise as UTF-8 behind a mark, so that no
    // character is lost.
    static PageEncoding InCodePage(const AnsiCodePage& code_page);
    // As UTF-8 behind a byte order mark, which browsers honour above any declaration.
    static PageEncoding Utf8WithMark();

    // The code page of InCodePage; nothing for Utf8WithMark.
    const std::optional<AnsiCodePage>& CodePage() const { return code_page_; }

  private:
    explicit PageEncoding(std::optional<AnsiCodePage> code_page);

    std::optional<AnsiCodePage> code_page_;
};

enum class LineBreaks {
    kAsTheyAre,
    kNormalized,  // as by NormalizeLineBreaks, over all the pieces together
};

// Writes the pieces one after the other into sink, in encoding.
void WriteEncodedPage(FileContentSink& sink, std::initializer_list<std::u16string_view> pieces,
                      const PageEncoding& encoding,
                      LineBreaks line_breaks = LineBreaks::kAsTheyAre);
// The same with PageEncoding::InCodePage(code_page).
void WriteEncodedPage(FileContentSink& sink, std::initializer_list<std::u16string_view> pieces,
                      const AnsiCodePage& code_page,
                      LineBreaks line_breaks = LineBreaks::kAsTheyAre);

}  // namespace quillmoor
