// The run of one source page in one language through the hidden browser.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "pipeline/job_flags.h"
#include "pipeline/job_signals.h"
#include "pipeline/message_pump.h"
#include "pipeline/page_browser.h"
#include "pipeline/page_outcome.h"
#include "pipeline/run_clock.h"
#include "pipeline/run_progress_view.h"
#include "pipeline/source_names.h"
#include "pipeline/wait_timing.h"
#include "platform/ansi_code_page.h"
#include "platform/no_copy.h"
#include "platform/thread_owner.h"

namespace quillmoor {

// The sleep of a poll step and of the pause loop inside it.
inline constexpr std::chrono::milliseconds kPollSleep{10};
// The limit of a wait for a signal, in whole seconds since its time stamp.
inline constexpr std::int64_t kSignalTimeLimitSeconds = 120;
// The quiet period: whole seconds without a load end that end a quiet wait.
inline constexpr std::int64_t kQuietPeriodSeconds = 28;
// Settling: this many passes of pump, sleep, pump.
inline constexpr int kSettlePasses = 9;
inline constexpr std::chrono::milliseconds kSettleSleep{500};
// The pauses around the scroll commands.
inline constexpr std::chrono::milliseconds kScrollLongPause{500};
inline constexpr std::chrono::milliseconds kScrollShortPause{1};

// The progress line of a ticked language: counter, "/", total, " Language(s) Translating ... ".
std::u16string LanguageProgressText(int counter, int total);

// How a poll step ended.
enum class PollEnd { kGoOn, kCancelled };

// One poll step: pump; sleep kPollSleep; while flags say pause, pump and sleep again; then
// kCancelled when flags say cancel. Every wait of a page run is made of these.
PollEnd PollOnce(MessagePump& pump, RunClock& clock, const JobFlags& flags);

// How a wait for a signal ended.
enum class WaitEnd {
    kSignalled,  // the signal was set
    kTimedOut,   // its time limit was reached first (not an error: the run goes on)
    kCancelled,  // a poll step saw CancelRequested
};

// What became of the browser in a run.
enum class BrowserState {
    kKept,            // the browser was left as it was
    kReplaced,        // the markup never came: the browser was replaced and is ready again
    kReplacementDue,  // replacing was started, but the new browser was not ready within
                      // the signal limit (or the wait was cancelled); the window goes on
                      // creating it
};

// The result of one run.
struct PageRunResult {
    PageOutcome outcome = PageOutcome::kStored;
    BrowserState browser = BrowserState::kKept;
    // The temporary page that a cancelled run left behind (empty otherwise): the window
    // program leaves it, the command line removes it.
    std::u16string temp_page_left;
};

// The per-file progress of the batch: the ticked languages reached so far for the current
// file (advanced by each run) and the batch's total L of ticked languages.
struct LanguageProgress {
    int counter = 0;
    int total = 0;
};

// The page run and the waits it is made of. Lives on the GUI thread, which makes it and
// runs all of it (every public method checks it); the browser's answers come from the
// engine's thread through the job signals only.
// Every wait is made of short sleeps between which messages are dispatched, so the window
// stays responsive and its Pause and Cancel buttons run nested inside the waits.
class PageRun {
  public:
    // The seams and shared values are the program's own; they must outlive the run.
    PageRun(PageBrowser& browser, RunClock& clock, MessagePump& pump, RunProgressView& view,
            JobSignals& signals, const JobFlags& flags,
            const AnsiCodePage& code_page = AnsiCodePage::System());

    // The timings of the waits; full unless set (the window program never sets them).
    void SetTimings(RunTimings timings) {
        owner_.Check();
        timings_ = timings;
    }
    const RunTimings& Timings() const {
        owner_.Check();
        return timings_;
    }

    QUILLMOOR_NO_COPY(PageRun);

    // Runs the page of names in the language at language_index of the catalogue and stores
    // the result below result_root:
    //  - reads the source page, advances progress.counter and shows the progress line;
    //  - skipped, without touching the browser, when the page has no place for the widget;
    //  - writes the temporary page, loads it, waits for the load and for quiet, picks the
    //    language, waits for the third load end and for quiet, runs the scroll schedule,
    //    asks for the markup and waits for it;
    //  - stored: the markup came, marked by the widget as translated; it is cleaned and
    //    stored, CapturedHtml holds its cleaned form, the temporary page is removed;
    //  - not translated: the same, but the markup's root element carries no mark of the
    //    widget's translation (translated-ltr, translated-rtl): the page is stored as it came;
    //  - not captured: the markup did not come within its limit; nothing is stored (a
    //    result stored earlier stays), the temporary page is removed and the browser is
    //    replaced (see PageRunResult::browser);
    //  - cancelled: a poll step saw CancelRequested; the run stopped there, nothing is
    //    stored and the temporary page stays.
    // Errors of the file system (FileSystemError) are passed on; they end the batch.
    PageRunResult TranslatePage(std::size_t language_index, const SourceNames& names,
                                std::u16string_view result_root, LanguageProgress& progress);

    // Dispatches the waiting messages.
    void Pump();

    // Pump; sleep 10 ms; while PauseRequested, pump and sleep 10 ms again; then kCancelled
    // when CancelRequested is set.
    PollEnd PollStep();

    // Until signal is set or at least 120 s have passed since the time stamp (read again
    // on every pass, so a moving time stamp moves the limit): test the signal (set: ends
    // with no poll step), poll step, test the time.
    WaitEnd WaitForSignal(JobSignals::Signal signal, JobSignals::Stamp stamp);

    // Sets LastLoadTime to now, then makes poll steps until at least 28 s have passed since
    // LastLoadTime; every load end moves it on. kGoOn when the quiet came.
    // In the fast timing the wait also ends as soon as the page is still (see WaitForStill).
    PollEnd WaitForQuiet();

    // After a command that loads: sets LastLoadTime to now, waits for signal (a time-out
    // goes on), then WaitForQuiet. kCancelled when either wait was cancelled.
    PollEnd WaitForLoadThenQuiet(JobSignals::Signal signal);

    // The fast timing's wait: samples the document every 100 ms (asking for its markup and
    // waiting for it with poll steps) and ends with kGoOn once neither a load end nor a change
    // of the document has come for the settle period, or when full_wait_over says the full
    // wait would have ended by now. A sample that does not come counts as a change.
    PollEnd WaitForStill(const std::function<bool()>& full_wait_over);

    // 9 passes of pump, sleep 500 ms, pump.
    void Settle();

  private:
    // The scroll schedule: three scrolls with pauses, no poll step.
    void ScrollSchedule();
    // The fast timing's scroll schedule: the three scrolls 100 ms apart, then a wait for
    // stillness no longer than the full schedule.
    PollEnd FastScrollSchedule();
    // One sample of the document for WaitForStill: a digest of its markup, nothing when it
    // did not come before full_wait_over, or kCancelled through cancelled.
    std::optional<std::size_t> SampleDocument(const std::function<bool()>& full_wait_over,
                                              PollEnd& end);
    // Replaces the browser after a page that did not deliver its markup, waiting for the
    // new one with poll steps up to the signal limit.
    BrowserState ReplaceBrowser();

    // The GUI thread, which made the run and runs all of it.
    ThreadOwner owner_;
    PageBrowser& browser_;           // GUI thread
    RunClock& clock_;                // any thread (it is made for that)
    MessagePump& pump_;              // GUI thread
    RunProgressView& view_;          // GUI thread
    JobSignals& signals_;            // any thread (it is made for that)
    const JobFlags& flags_;          // any thread (each flag is atomic)
    const AnsiCodePage& code_page_;  // any thread (never changes)
    RunTimings timings_;             // GUI thread
};

}  // namespace quillmoor
