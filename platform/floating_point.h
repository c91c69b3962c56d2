// The floating-point exceptions of the calling thread.
#pragma once

namespace quillmoor {

// Masks every floating-point exception the processor has (invalid operation, denormal
// operand where it exists, division by zero, overflow, underflow, precision) for the
// calling thread: an exceptional result becomes its default value (a NaN, an infinity, a
// rounded number) instead of a trap. The engine's code counts on this.
void MaskFloatingPointExceptions();

}  // namespace quillmoor
