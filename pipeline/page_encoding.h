// How the bytes of a page file become page text, and page text becomes bytes again.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/ansi_code_page.h"
#include "platform/file_system.h"

namespace quillmoor {

// The page text that the bytes of a file hold. A byte order mark selects the decoding:
// EF BB BF UTF-8, FF FE UTF-16 little endian, FE FF UTF-16 big endian, tested in this order;
// the mark is not part of the text. Without one the bytes are in code_page. Undecodable
// bytes become replacement characters (a UTF-16 file of odd length ends in U+FFFD); line
// breaks are normalised as by NormalizeLineBreaks. spare_units code units of capacity are
// left free at the end of the text, so that it can grow that much without moving.
std::u16string DecodePageText(std::string_view bytes, const AnsiCodePage& code_page,
                              std::size_t spare_units = 0);

// Turns every CR LF pair, every lone CR and every lone LF into one CR LF pair; an LF
// followed by a CR thus gives two line breaks. Nothing else changes.
void NormalizeLineBreaks(std::u16string& text);

// The number of code units that NormalizeLineBreaks adds to text; 0 when its line
// breaks are normalised already.
std::size_t LineBreakGrowth(std::u16string_view text);

enum class LineBreaks {
    kAsTheyAre,
    kNormalized,  // as by NormalizeLineBreaks, over all the pieces together
};

// Writes the pieces one after the other into sink: in code_page, without a byte order mark,
// when every character of them comes back unchanged from the round trip through the code
// page; otherwise as UTF-8 behind a byte order mark, so that no character is lost.
void WriteEncodedPage(FileContentSink& sink, std::initializer_list<std::u16string_view> pieces,
                      const AnsiCodePage& code_page,
                      LineBreaks line_breaks = LineBreaks::kAsTheyAre);

}  // namespace quillmoor
