// Conversions between UTF-8 and UTF-16, the program's own text form.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillmoor {

// U+FFFD, which stands in text for what could not be decoded.
inline constexpr char16_t kReplacementCharacter = u'\uFFFD';

// The byte order mark that starts a UTF-8 file.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Decodes UTF-8. A malformed sequence (stray continuation byte, overlong form, surrogate,
// value above U+10FFFF, truncated sequence) becomes one U+FFFD per offending byte run.
std::u16string Utf8ToUtf16(std::string_view utf8);

// Like Utf8ToUtf16, appending to out (whose spare capacity is used first).
void AppendUtf8AsUtf16(std::string_view utf8, std::u16string& out);

// Encodes UTF-16 as UTF-8. An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// Like Utf16ToUtf8, appending to out. Returns false when utf16 held an unpaired surrogate
// (see IsWellFormedUtf16).
bool AppendUtf16AsUtf8(std::u16string_view utf16, std::string& out);

// Writes utf16 as UTF-8 at out, which has room for three bytes per code unit; returns the
// end of what it wrote. An unpaired surrogate becomes U+FFFD and clears well_formed.
char* WriteUtf16AsUtf8(std::u16string_view utf16, char* out, bool& well_formed);

// The end of the longest prefix of utf8 that no sequence runs past: where a long text can
// be cut, so that decoding the prefix and then the rest gives the text that decoding them
// together gives. Only a sequence that the end of utf8 cuts short is left out.
std::size_t Utf8PieceEnd(std::string_view utf8);

// True when the bytes are well-formed UTF-8 (the same rules as Utf8ToUtf16).
bool IsValidUtf8(std::string_view bytes);

// True when every surrogate of the text is part of a pair, so that it converts to UTF-8
// and back unchanged.
bool IsWellFormedUtf16(std::u16string_view utf16);

// The end of a slice of text that starts at start and holds at most max_units code units,
// moved back by one where it would split a surrogate pair. For converting long texts
// slice by slice.
std::size_t Utf16SliceEnd(std::u16string_view text, std::size_t start, std::size_t max_units);

}  // namespace quillmoor
