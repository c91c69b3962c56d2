// Normalising the line breaks of a text that comes in pieces.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillmoor {

// Turns every CR LF pair, every lone CR and every lone LF into one CR LF pair; an LF
// followed by a CR thus gives two line breaks. Nothing else changes.
void NormalizeLineBreaks(std::u16string& text);

// The number of code units that NormalizeLineBreaks adds to text; 0 when its line
// breaks are normalised already.
std::size_t LineBreakGrowth(std::u16string_view text);

// Turns every CR LF pair, every lone CR and every lone LF into one CR LF pair, as
// NormalizeLineBreaks does for a whole text, piece by piece: a CR that ends one piece and
// an LF that starts the next are one line break. The pieces may be converted between
// UTF-8 and UTF-16 on the way, in the same pass.
class LineBreakNormalizer {
  public:
    // Writes piece, its line breaks normalised, at out, which has room for two code units
    // per unit of piece. Returns the end of what it wrote.
    char16_t* Write(std::u16string_view piece, char16_t* out);

    // Writes the text that utf8 encodes (decoded as AppendUtf8AsUtf16 decodes it), its
    // line breaks normalised, at out, which has room for two code units per byte of utf8.
    // Returns the end of what it wrote. A malformed sequence clears well_formed.
    char16_t* WriteDecodedUtf8(std::string_view utf8, char16_t* out, bool& well_formed);

    // Writes piece, its line breaks normalised, as UTF-8 (encoded as WriteUtf16AsUtf8
    // encodes it) at out, which has room for three bytes per unit of piece. Returns the
    // end of what it wrote. An unpaired surrogate clears well_formed.
    char* WriteEncodedUtf8(std::u16string_view piece, char* out, bool& well_formed);

  private:
    // Writes [in, end) at out: copy_run copies the units up to the next line break or unit
    // that needs converting and returns how many, convert_one converts one such unit and
    // returns the end of what it wrote. Returns the end of what was written.
    template <class Unit, class OutUnit, class CopyRun, class ConvertOne>
    OutUnit* WriteNormalized(const Unit* in, const Unit* end, OutUnit* out, CopyRun copy_run,
                             ConvertOne convert_one);

    // WriteNormalized converting UTF-8 to UTF-16 or back, an ASCII run at a time.
    template <class Unit, class OutUnit>
    OutUnit* WriteConverted(const Unit* in, const Unit* end, OutUnit* out, bool& well_formed);

    // The last code unit written was a CR that ended a piece: an LF that starts the next
    // piece belongs to its break.
    bool after_cr_ = false;
};

}  // namespace quillmoor
