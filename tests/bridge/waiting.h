// The two ways the engine tests let time pass: polling until something has happened, and
// waiting out a quiet period in which nothing more should happen.
#pragma once

#include <chrono>
#include <thread>

namespace quillmoor::bridge_test {

// Asks done() every interval until it is true or timeout has passed; returns its last
// answer.
template <typename Done>
bool PollUntil(Done done, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval = std::chrono::milliseconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return done();
        }
        std::this_thread::sleep_for(interval);
    }
    return true;
}

// Lets period pass so that what should not happen, or not happen again (a late event, a
// second visit, a request that must not come, another thread reaching its wait), has had
// the time to happen before the test looks.
inline void WaitOutQuietPeriod(std::chrono::milliseconds period) {
    std::this_thread::sleep_for(period);
}

}  // namespace quillmoor::bridge_test
