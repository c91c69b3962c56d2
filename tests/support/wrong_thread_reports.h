// The wrong-thread reports that a call makes, captured instead of aborting: for the tests
// that show a class checks which thread calls it.
#pragma once

#include <functional>
#include <mutex>
#include <source_location>
#include <string>
#include <thread>
#include <vector>

#include "platform/thread_owner.h"

namespace quillmoor::test_support {

// The test and sanitizer builds ask for the checks; NDEBUG, which the test build sets, must
// not turn them off there.
#if defined(QUILLMOOR_THREAD_CHECKS)
static_assert(kThreadChecks, "QUILLMOOR_THREAD_CHECKS is defined but the thread checks are off");
#endif

namespace wrong_thread_detail {

inline std::mutex reports_mutex;
inline std::vector<std::string> reports;

inline void Capture(const std::source_location& where) {
    const std::lock_guard lock(reports_mutex);
    reports.emplace_back(where.function_name());
}

// Runs call with the reports captured; an exception the call throws is dropped (a method
// reached from the wrong thread may well fail after its check).
inline std::vector<std::string> Captured(const std::function<void()>& call, bool other_thread) {
    {
        const std::lock_guard lock(reports_mutex);
        reports.clear();
    }
    const WrongThreadHandler previous = SetWrongThreadHandler(&Capture);
    const auto guarded = [&call] {
        try {
            call();
        } catch (...) {
        }
    };
    if (other_thread) {
        std::thread(guarded).join();
    } else {
        guarded();
    }
    SetWrongThreadHandler(previous);
    const std::lock_guard lock(reports_mutex);
    return reports;
}

}  // namespace wrong_thread_detail

// The functions reported, in order, while call runs on a thread of its own.
inline std::vector<std::string> ReportsFromAnotherThread(const std::function<void()>& call) {
    return wrong_thread_detail::Captured(call, true);
}

// The same for call on the calling thread.
inline std::vector<std::string> ReportsFromThisThread(const std::function<void()>& call) {
    return wrong_thread_detail::Captured(call, false);
}

}  // namespace quillmoor::test_support
