// The system's own description of a Windows error code.
#pragma once

#include <cstdint>
#include <string>

namespace quillmoor {

// The system's message for a Windows error code (GetLastError), in UTF-8, without the
// trailing line break; "error 0x…" when the system has no text for it.
std::string SystemErrorText(uint32_t code);

}  // namespace quillmoor
