// Long generated texts for the tests of the page text converters.
#pragma once

#include <cstddef>
#include <string>

namespace quillmoor::test_support {

// A text of at least size code units: line breaks of every kind, characters of one to four
// UTF-8 bytes, and ASCII runs of every length up to 40, so that breaks and characters fall
// on every position of the converters' blocks.
std::u16string MixedText(std::size_t size);

// text with line breaks normalised.
std::u16string Normalized(std::u16string text);

}  // namespace quillmoor::test_support
