// One line of diagnostic output for a developer: the debugger's output on Windows,
// standard error elsewhere.
#pragma once

#include <string_view>

namespace quillmoor {

void WriteDebuggerOutput(std::u16string_view line);

}  // namespace quillmoor
