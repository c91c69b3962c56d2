#include "platform/floating_point.h"

#include <cfenv>

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace quillmoor {

void MaskFloatingPointExceptions() {
#if defined(__GLIBC__)
    fedisableexcept(FE_ALL_EXCEPT);
#endif
#if defined(__x86_64__) || defined(__i386__)
    // The denormal-operand exception has no name in <cfenv>; it is bit 8 of MXCSR.
    _mm_setcsr(_mm_getcsr() | _MM_MASK_MASK);
#endif
}

}  // namespace quillmoor
