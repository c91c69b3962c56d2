#include "pipeline/steady_run_clock.h"

#include <thread>

namespace quillmoor {

Timestamp SteadyRunClock::Now() {
    return std::chrono::time_point_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now());
}

void SteadyRunClock::Sleep(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

}  // namespace quillmoor
