// Conversions between UTF-8 and UTF-16, the program's own text form.
#pragma once

#include <string>
#include <string_view>

namespace quillmoor {

// Decodes UTF-8. A malformed sequence (stray continuation byte, overlong form, surrogate,
// value above U+10FFFF, truncated sequence) becomes one U+FFFD per offending byte run.
std::u16string Utf8ToUtf16(std::string_view utf8);

// Encodes UTF-16 as UTF-8. An unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// True when the bytes are well-formed UTF-8 (the same rules as Utf8ToUtf16).
bool IsValidUtf8(std::string_view bytes);

}  // namespace quillmoor
