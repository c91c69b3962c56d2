#include "platform/memory_pages.h"

namespace quillmoor {

// Large pages need a privilege that a desktop program does not hold: the system's own
// pages it is.
void PreferLargePages(void*, std::size_t) {}

}  // namespace quillmoor
