// Decoding the bytes of a page file into page text as they are read, block by block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "pipeline/line_break_normalizer.h"
#include "platform/ansi_code_page.h"
#include "platform/file_system.h"

namespace quillmoor {

// Gives the page text of all the bytes it takes together, in whatever blocks they come: a
// byte order mark, a character or a CR LF pair cut between two blocks reads as it would in
// one piece. The text is decoded and its line breaks normalised in small pieces straight
// into its final place. Bytes that FoundInvalidUtf8 finds are not in the code page: their
// caller reads them again in LegacyPageCodePage, as DecodePageText does.
class PageTextDecoder : public FileContentReceiver {
  public:
    // spare_units code units of capacity are left free at the end of the text.
    PageTextDecoder(const AnsiCodePage& code_page, std::size_t spare_units);

    // Sizes the text for a file of that many bytes.
    void Expect(std::uint64_t bytes) override;
    void Take(std::string_view block) override;

    // The page text of every byte taken. Called once, after the last block.
    std::u16string Finish();

    // After Finish: true when the bytes started with a byte order mark.
    bool FoundByteOrderMark() const;
    // After Finish: true when the bytes had no mark, the code page is UTF-8, and they are
    // not valid UTF-8 (each malformed sequence is a replacement character in the text).
    bool FoundInvalidUtf8() const;

  private:
    enum class Form {
        kUndecided,  // too few bytes yet to tell whether a byte order mark starts them
        kUtf8,       // behind a byte order mark, or in a UTF-8 code page
        kUtf16LittleEndian,
        kUtf16BigEndian,
        kCodePageInPieces,
        kCodePageWhole,  // a double-byte or stateful code page: decoded once all is read
    };

    // Decides the form from the first bytes, unless more are needed to tell and more may
    // come. Returns the length of the byte order mark.
    std::size_t DecideForm(std::string_view first_bytes, bool at_end);
    // Reserves the text once the form is known.
    void ReserveText();
    // Decodes bytes that follow what was decoded before, holding back an incomplete
    // character at their end.
    void Feed(std::string_view bytes);
    // Decodes the complete characters of bytes.
    void DecodeWhole(std::string_view bytes);
    // Appends decoded_ to the text, its line breaks normalised.
    void AppendDecoded();
    // Appends the text that the UTF-8 bytes encode, its line breaks normalised.
    void DecodeUtf8(std::string_view bytes);
    // The end of the longest prefix of bytes that holds whole characters only.
    std::size_t CompleteEnd(std::string_view bytes) const;

    const AnsiCodePage& code_page_;
    std::size_t spare_units_;
    std::uint64_t expected_bytes_ = 0;
    Form form_ = Form::kUndecided;
    bool marked_ = false;
    // No malformed UTF-8 sequence has come.
    bool well_formed_ = true;
    // Bytes not decoded yet: the start of a byte order mark, an incomplete character, or
    // every byte of a page in a code page that is decoded whole.
    std::string held_;
    // A piece of decoded text whose line breaks are not yet normalised.
    std::u16string decoded_;
    LineBreakNormalizer line_breaks_;
    std::u16string text_;
};

}  // namespace quillmoor
