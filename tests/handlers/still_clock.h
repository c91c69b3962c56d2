// A clock for the hidden browsers' tests that stands still until the test moves it; a sleep
// moves it on at once.
#pragma once

#include <atomic>
#include <chrono>

#include "pipeline/run_clock.h"

namespace quillmoor::browser_test {

class StillClock final : public RunClock {
  public:
    Timestamp Now() override { return Timestamp(std::chrono::milliseconds(now_ms_.load())); }
    void Sleep(std::chrono::milliseconds duration) override { now_ms_ += duration.count(); }
    void Set(std::chrono::milliseconds now) { now_ms_ = now.count(); }

  private:
    std::atomic<long long> now_ms_{1'000'000};
};

}  // namespace quillmoor::browser_test
