#include "platform/floating_point.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

#ifdef _WIN32
#include <float.h>
#endif
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace quillmoor {
namespace {

TEST(FloatingPointTest, EveryExceptionIsMaskedAndExceptionalResultsTakeTheirDefaults) {
#if defined(__GLIBC__)
    feenableexcept(FE_DIVBYZERO | FE_INVALID);  // as a library loaded earlier might leave it
#endif
    MaskFloatingPointExceptions();

#if defined(__GLIBC__)
    EXPECT_EQ(fegetexcept(), 0);
#endif
#if defined(__SSE__)
    EXPECT_EQ(_mm_getcsr() & _MM_MASK_MASK, static_cast<unsigned>(_MM_MASK_MASK));
#endif
#ifdef _WIN32
    EXPECT_EQ(_controlfp(0, 0) & _MCW_EM, static_cast<unsigned>(_MCW_EM));
#endif
    volatile double zero = 0.0;
    volatile double huge = std::numeric_limits<double>::max();
    EXPECT_TRUE(std::isinf(1.0 / zero));
    EXPECT_TRUE(std::isnan(zero / zero));
    EXPECT_TRUE(std::isinf(huge * 2.0));
}

}  // namespace
}  // namespace quillmoor
