#include "platform/memory_pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace quillmoor {

void PreferLargePages(void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    // Large pages are 2 MiB on the systems that have them; only whole ones inside the
    // buffer are asked for.
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t last = (begin + bytes) & ~(kLargePage - 1);
    if (last > first) {
        // Only advice: a system that refuses it fills the buffer with small pages.
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    static_cast<void>(data);
    static_cast<void>(bytes);
#endif
}

}  // namespace quillmoor
