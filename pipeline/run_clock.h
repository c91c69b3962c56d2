// The clock on which the page run measures its waits and with which it sleeps.
#pragma once

#include <chrono>
#include <cstdint>

namespace quillmoor {

// A moment on a monotonic clock, to the millisecond. A clock change or a daylight-saving
// shift of the system does not move it. The zero moment is the clock's epoch; the job
// signals start with it.
using Timestamp = std::chrono::time_point<std::chrono::steady_clock, std::chrono::milliseconds>;

// The time between two moments in whole seconds, in either order: the absolute difference
// in milliseconds divided by 1000, the remainder dropped (119 999 ms give 119 s).
std::int64_t ElapsedWholeSeconds(Timestamp earlier, Timestamp later);

// Reading the time and sleeping. The program uses SteadyRunClock; the tests use a clock
// whose time advances only when they sleep.
class RunClock {
  public:
    virtual ~RunClock() = default;

    // The current moment. Never goes back. Called on the GUI thread and, for the time
    // stamps of load ends and deliveries, on the engine's thread: it must be safe to call
    // from any thread.
    virtual Timestamp Now() = 0;

    // Blocks the calling thread (the GUI thread) for duration; nothing is dispatched
    // meanwhile.
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

}  // namespace quillmoor
