// Text for the terminal: standard error (systems without debugger output or message
// boxes of their own).
#pragma once

#include <string_view>

namespace quillmoor {

// Writes prefix, text with its CR LF line breaks as plain LF, and a line break.
void WriteToStandardError(std::string_view prefix, std::u16string_view text);

}  // namespace quillmoor
