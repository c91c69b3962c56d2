// Advice to the system on how to back large buffers with memory.
#pragma once

#include <cstddef>

namespace quillmoor {

// Asks the system to back the memory of a buffer of many megabytes, which is about to be
// filled, with large pages where it has them: filling it then costs a few hundred page
// faults instead of tens of thousands. What the memory holds does not change; where the
// system has no such pages, or the buffer is small, nothing happens.
void PreferLargePages(void* data, std::size_t bytes);

}  // namespace quillmoor
