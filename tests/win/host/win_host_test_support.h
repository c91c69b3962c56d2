// What the Win32 hidden browser's tests share: dispatching the GUI thread's messages until a
// condition holds, or for a while.
#pragma once

#include <chrono>
#include <functional>

namespace quillmoor::win_test {

// Dispatches the GUI thread's messages until condition holds or timeout passes; returns the
// condition's last value.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
// Dispatches the GUI thread's messages for duration.
void PumpFor(std::chrono::milliseconds duration);

}  // namespace quillmoor::win_test
