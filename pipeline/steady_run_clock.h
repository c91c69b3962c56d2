// The program's clock for the page run: the system's monotonic clock and a real sleep.
#pragma once

#include "pipeline/run_clock.h"

namespace quillmoor {

class SteadyRunClock final : public RunClock {
  public:
    Timestamp Now() override;
    void Sleep(std::chrono::milliseconds duration) override;
};

}  // namespace quillmoor
