#include "platform/floating_point.h"

#include <float.h>

namespace quillmoor {

void MaskFloatingPointExceptions() {
    // All six: invalid, denormal, zero divide, overflow, underflow, inexact.
    _controlfp(_MCW_EM, _MCW_EM);
}

}  // namespace quillmoor
