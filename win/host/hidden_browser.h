// The hidden browser of the Win32 front end and what a page run over it needs: the job
// signals and flags, a clock, the thread's message pump, the hidden browser window (which
// asks the started engine for its browser at once) and that window as the page run's
// browser.
#pragma once

#include <chrono>

#include "pipeline/job_flags.h"
#include "pipeline/job_signals.h"
#include "pipeline/page_run.h"
#include "pipeline/steady_run_clock.h"
#include "platform/no_copy.h"
#include "platform/thread_owner.h"
#include "startup/running_engine.h"
#include "win/host/page_browser_window.h"
#include "win/host/tfrm_simple_browser.h"
#include "win/host/win32_message_pump.h"

namespace quillmoor::win {

// Created, used and destroyed on the GUI thread, which owns it.
class HiddenBrowser {
  public:
    // engine must be started and outlive this object. clock, when given, replaces the
    // system's monotonic clock for the window's handlers and the runs (it must outlive this
    // object too).
    explicit HiddenBrowser(RunningEngine& engine, RunClock* clock = nullptr);
    QUILLMOOR_NO_COPY(HiddenBrowser);

    JobSignals& Signals() { return signals_; }
    JobFlags& Flags() { return flags_; }
    RunClock& Clock() { return clock_; }
    MessagePump& Pump() { return pump_; }
    TfrmSimpleBrowser& Window() { return window_; }
    PageBrowserWindow& Browser() { return browser_; }

    // True once the engine has handed the window its browser.
    bool IsReady() const;
    // Dispatches the GUI thread's messages until the browser is ready, a cancel is
    // requested or limit has passed; true when it is ready.
    bool WaitUntilReady(std::chrono::milliseconds limit);
    // A page run over this browser reporting to view (which must outlive the run);
    // browser, when given, stands in for the window's page browser.
    PageRun MakeRun(RunProgressView& view, PageBrowser* browser = nullptr);

  private:
    ThreadOwner owner_;
    JobSignals signals_;
    JobFlags flags_;
    SteadyRunClock steady_clock_;
    RunClock& clock_;
    Win32MessagePump pump_;
    TfrmSimpleBrowser window_;
    PageBrowserWindow browser_;
};

}  // namespace quillmoor::win
