// String visitors for the engine's get_source and get_text: one that keeps the one text it
// is given for a test to wait for, and one that passes the text on to job signals, as the
// program's browser window does.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/cef_capi.h"
#include "pipeline/job_signals.h"
#include "pipeline/run_clock.h"

namespace quillmoor::scripted_engine_test {

// A string visitor that keeps the one text it is given.
class TextCatcher {
  public:
    TextCatcher();
    // A new visitor for the engine (with its reference).
    cef_string_visitor_t* Visitor();
    // Waits for the text; nothing when it did not come within limit.
    std::optional<std::u16string> Wait(std::chrono::milliseconds limit = std::chrono::seconds(20),
                                       const std::function<void()>& pump = {});
    // Whether the visitor was released (by the engine and this catcher) without a visit.
    bool ReleasedUnvisited() const;

    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        std::optional<std::u16string> text;
        bool released = false;
    };

  private:
    std::shared_ptr<Shared> shared_;
};

// A visitor that passes the text on to job signals, as the program's browser window does.
cef_string_visitor_t* NewSignallingVisitor(JobSignals& signals, RunClock& clock);

}  // namespace quillmoor::scripted_engine_test
