// What the browser window's tests share: the Qt application on the offscreen platform, a
// clock that stands still until the test moves it, and a pump that waits for a condition.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>

#include "pipeline/run_clock.h"

namespace quillmoor::browser_test {

// Creates the process's Qt application once (offscreen unless QT_QPA_PLATFORM says else).
void EnsureQtApplication();

// Dispatches the GUI thread's events until condition holds or timeout passes; returns the
// condition's last value.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
// Dispatches the GUI thread's events for duration.
void PumpFor(std::chrono::milliseconds duration);

class StillClock final : public RunClock {
  public:
    Timestamp Now() override { return Timestamp(std::chrono::milliseconds(now_ms_.load())); }
    void Sleep(std::chrono::milliseconds duration) override { now_ms_ += duration.count(); }
    void Set(std::chrono::milliseconds now) { now_ms_ = now.count(); }

  private:
    std::atomic<long long> now_ms_{1'000'000};
};

}  // namespace quillmoor::browser_test
