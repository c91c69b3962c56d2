// The system's ANSI code page: the single- or double-byte character set in which text
// files without a byte order mark are read and written. On Windows it is the active code
// page (CP_ACP); elsewhere it is the character set of the current locale, and UTF-8 when
// that locale is plain ASCII (C/POSIX).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillmoor {

class AnsiCodePage {
  public:
    // The system's code page, determined once.
    static const AnsiCodePage& System();

    // A Windows code page by number (1252, 936, 65001 for UTF-8, ...). Elsewhere the
    // equivalent character set of the system's converter. Throws std::invalid_argument
    // when the system does not know it.
    static AnsiCodePage ForCodePage(unsigned number);

    // The name of the character set, for messages.
    const std::string& Name() const;

    // True when the code page is UTF-8, by whichever conversion.
    bool IsUtf8() const;

    // True when the code page is UTF-8 converted by the program's own conversion: then
    // DecodeAppend does what AppendUtf8AsUtf16 does, EncodeAppend what AppendUtf16AsUtf8
    // does, and CanEncodeExactly tells whether the text is well-formed UTF-16.
    bool ConvertsAsUtf8() const;

    // Appends the text that bytes encode to out. Never fails: a byte that the code page
    // does not define, and an incomplete double-byte character at the end, become a
    // replacement character (U+FFFD, or the one the system's conversion uses).
    void DecodeAppend(std::string_view bytes, std::u16string& out) const;
    std::u16string Decode(std::string_view bytes) const;

    // Where bytes can be cut for decoding them piece by piece: the end of the longest prefix
    // of bytes that ends with a whole character, so that decoding the prefix and then the
    // rest gives the text that decoding them together gives. Nothing for code pages whose
    // characters cannot be told apart without decoding from the start (double-byte and
    // stateful sets): their text is decoded whole.
    std::optional<std::size_t> PieceEnd(std::string_view bytes) const;

    // True when every character of text converts to the code page and back unchanged.
    bool CanEncodeExactly(std::u16string_view text) const;

    // Appends text converted to the code page to out, as EncodeAppend does, and returns
    // what CanEncodeExactly(text) returns. A surrogate pair must not be split between two
    // calls.
    bool EncodeAppendChecked(std::u16string_view text, std::string& out) const;

    // Appends text converted to the code page to out. Characters that the code page cannot
    // hold are replaced by its substitute character. A surrogate pair must not be split
    // between two calls.
    void EncodeAppend(std::u16string_view text, std::string& out) const;
    std::string Encode(std::u16string_view text) const;

    // The platform's converter; defined in the platform's source file.
    struct Converter;

  private:
    explicit AnsiCodePage(std::shared_ptr<const Converter> converter);

    // Converts text to the code page and back, slice by slice, and compares.
    bool RoundTripsExactly(std::u16string_view text) const;
    // Appends text converted to the code page to out, converts that back and compares.
    bool EncodeAppendRoundTripped(std::u16string_view text, std::string& out) const;

    std::shared_ptr<const Converter> converter_;
};

}  // namespace quillmoor
