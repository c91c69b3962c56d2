// Generated texts and bytes for the tests of the page text converters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillmoor::test_support {

// A text of at least size code units: line breaks of every kind, characters of one to four
// UTF-8 bytes, and ASCII runs of every length up to 40, so that breaks and characters fall
// on every position of the converters' blocks.
std::u16string MixedText(std::size_t size);

// text with line breaks normalised.
std::u16string Normalized(std::u16string text);

// The bytes of text as a UTF-16 file with a byte order mark.
std::string Utf16File(std::u16string_view text, bool big_endian);

// Every byte value from 0 to 255 in order, but CR and LF.
std::string EveryByteButLineBreaks();

}  // namespace quillmoor::test_support
