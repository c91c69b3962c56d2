// What the browser window's tests share: the Qt application on the offscreen platform and a
// pump that waits for a condition (and the clock that stands still, shared with the Win32
// front end's tests).
#pragma once

#include <chrono>
#include <functional>

#include "tests/handlers/still_clock.h"

namespace quillmoor::browser_test {

// Creates the process's Qt application once (offscreen unless QT_QPA_PLATFORM says else).
void EnsureQtApplication();

// Dispatches the GUI thread's events until condition holds or timeout passes; returns the
// condition's last value.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
// Dispatches the GUI thread's events for duration.
void PumpFor(std::chrono::milliseconds duration);

}  // namespace quillmoor::browser_test
