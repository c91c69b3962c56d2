// The run of one source page in one language through the hidden browser.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/folder_copy.h"
#include "pipeline/job_flags.h"
#include "pipeline/job_signals.h"
#include "pipeline/message_pump.h"
#include "pipeline/page_browser.h"
#include "pipeline/page_outcome.h"
#include "pipeline/result_layout.h"
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
// How long a pick waits for the widget to answer (its mark, a change to the text, a load
// end) before the language is picked again, and how many picks a page gets.
inline constexpr std::chrono::milliseconds kPickAnswerLimit{5000};
inline constexpr int kPickAttempts = 3;

// Why a page-language was not translated, as the reports say it.
inline constexpr std::string_view kNoMenuReason = "the widget's language menu never appeared";
inline constexpr std::string_view kPickIgnoredReason =
    "the widget did not answer the language picks";
inline constexpr std::string_view kNoMarkReason =
    "the page came back without the widget's translation mark";
// Why a page-language was not captured, when its markup came but the page was no longer
// the temporary page.
inline constexpr std::string_view kLeftPageReason =
    "the page left its temporary address (a refresh, a redirect or a script took it "
    "elsewhere)";

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
    // Why the page was not translated or, when it left the temporary page, not captured.
    std::string reason;
    // The entries of the page's resource folder that storing passed over (kStored only): links
    // that lead out of the page's folder or round in a circle.
    std::vector<PassedOverEntry> passed_over;
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
    //  - writes the temporary page, loads it and waits for the load (and, at the full
    //    timing, for quiet); waits for the widget's language menu (sampling the document);
    //    picks the language and waits a few seconds for the widget to answer, picking again
    //    while it does not; then, at the full timing, waits for the third load end, for
    //    quiet and runs the scroll schedule; at the fast timing scrolls and waits until the
    //    widget is done (see WaitForWidgetDone); asks for the markup and waits for it;
    //  - stored: the markup came, marked by the widget as translated; it is cleaned and
    //    stored, CapturedHtml holds its cleaned form, the temporary page is removed, and
    //    passed_over names what of the resource folder was not copied;
    //  - not translated: the menu never appeared, the widget answered no pick, or the markup
    //    came without the widget's mark (translated-ltr, translated-rtl on its root
    //    element); nothing is stored (a result stored earlier stays, resource folder and
    //    all), the temporary page is removed, and reason says which;
    //  - not captured: the markup did not come within its limit; nothing is stored (a
    //    result stored earlier stays), the temporary page is removed and the browser is
    //    replaced (see PageRunResult::browser). Also when the main frame no longer shows
    //    the temporary page before or after the markup is taken (it went elsewhere): then
    //    the browser is kept and reason says so;
    //  - cancelled: a poll step saw CancelRequested; the run stopped there, nothing is
    //    stored and the temporary page stays.
    // Errors of the file system (FileSystemError) are passed on; they end the batch. One
    // from storing the result comes after the temporary page has been removed.
    PageRunResult TranslatePage(std::size_t language_index, const SourceNames& names,
                                std::u16string_view result_root, LanguageProgress& progress);

    // The same run, storing the result where target says: in the site layout the page is
    // made the page a translated site publishes (see StoreSitePage) and no resource folder
    // is copied.
    PageRunResult TranslatePage(std::size_t language_index, const SourceNames& names,
                                const ResultTarget& target, LanguageProgress& progress);

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
    // (The fast page run no longer waits for quiet after the load: it waits for the menu.)
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
    enum class MenuEnd { kShown, kNeverShown, kPageLeft, kCancelled };
    enum class PickEnd { kAnswered, kIgnored, kPageLeft, kCancelled };
    // When the widget answered a pick, the digest of the document then (if it came), and
    // whether the answer was a change to the document (not only a load end).
    struct PickAnswer {
        Timestamp picked{};
        Timestamp at{};
        std::optional<std::size_t> digest;
        bool changed = false;
    };
    // A wait for stillness. It ends when full_wait_over, or on a sample taken once the
    // page has been still (no change to the document since the last sample that changed,
    // no load end) for the settle period and one and a half times the longest gap between
    // two changes seen (so that a widget's next batch of text is waited for), may_end (if
    // given) agrees, and the sample carries the translation mark when needs_mark.
    struct StillWait {
        std::function<bool()> full_wait_over;
        std::function<bool()> may_end;
        bool needs_mark = false;
        // The document before the wait; nothing: the first sample counts as a change.
        std::optional<std::size_t> baseline;
        // When the document last changed before the wait, if it did since the pick;
        // without one, the first change seen opens a gap from picked (the widget's first
        // batch took that long), counted up to the sample before it.
        std::optional<Timestamp> last_change;
        std::optional<Timestamp> picked;
        // When the baseline was asked for.
        Timestamp baseline_asked{};
        std::chrono::milliseconds longest_gap{0};
        // Commands given one a sample, before the samples (each then counts as a change).
        std::vector<void (PageBrowser::*)()> scrolls;
    };

    // The scroll schedule: three scrolls with pauses, no poll step.
    void ScrollSchedule();
    PollEnd WaitUntilStill(const StillWait& wait);
    // Poll steps until a sample interval has passed since asked, or over.
    PollEnd HoldSampleInterval(Timestamp asked, const std::function<bool()>& over);
    // One sample of the document: its markup, nothing when it did not come before give_up,
    // or kCancelled through end.
    std::optional<std::u16string> SampleMarkup(const std::function<bool()>& give_up, PollEnd& end);
    // Samples the document every sample interval until it holds the widget's language
    // menu (digest: the document's then), up to the signal limit.
    MenuEnd WaitForMenu(std::size_t& digest);
    // Picks the language, up to kPickAttempts times, each waiting up to kPickAnswerLimit
    // for the widget to answer: its mark, a document other than before_pick, a load end.
    PickEnd PickUntilAnswered(std::size_t before_pick, PickAnswer& answer);
    // The fast timing after an answered pick: a wait until the three scrolls (given with
    // the wait's first samples) are done, the third load end after the pick has come (or
    // its limit), the page carries the mark and has been still (see StillWait); never
    // longer than the full timing's wait for the third load end and the quiet after it.
    PollEnd WaitForWidgetDone(const PickAnswer& answer);
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
    std::u16string page_;            // GUI thread: the run's temporary page, empty between runs
};

}  // namespace quillmoor
