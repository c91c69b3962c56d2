#include "pipeline/page_run.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

#include "pipeline/current_widget_traces.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/page_text.h"
#include "pipeline/result_store.h"
#include "platform/utf.h"

namespace quillmoor {

std::u16string LanguageProgressText(int counter, int total) {
    return Utf8ToUtf16(std::to_string(counter)) + u"/" + Utf8ToUtf16(std::to_string(total)) +
           u" Language(s) Translating ... ";
}

PageRun::PageRun(PageBrowser& browser, RunClock& clock, MessagePump& pump, RunProgressView& view,
                 JobSignals& signals, const JobFlags& flags, const AnsiCodePage& code_page)
    : browser_(browser),
      clock_(clock),
      pump_(pump),
      view_(view),
      signals_(signals),
      flags_(flags),
      code_page_(code_page) {}

PageRunResult PageRun::TranslatePage(std::size_t language_index, const SourceNames& names,
                                     std::u16string_view result_root, LanguageProgress& progress) {
    owner_.Check();
    const std::u16string& code = LanguageCodes().at(language_index);
    // The page keeps the form it was read in, so that its temporary page reaches the browser
    // as the source would.
    SourcePage page = ReadSourcePage(names.SourcePath(), code_page_);

    ++progress.counter;
    view_.ShowLanguageProgress(LanguageProgressText(progress.counter, progress.total));
    clock_.Sleep(kPollSleep);

    std::optional<std::u16string> injected = InjectWidget(std::move(page.text), code);
    if (!injected) {
        return {PageOutcome::kSkipped, BrowserState::kKept, {}};
    }
    const std::u16string temp_page = WriteTempPage(names.TempPagePath(), *injected, page.encoding);
    injected.reset();

    const PageRunResult cancelled{PageOutcome::kCancelled, BrowserState::kKept, temp_page};

    // Load, then let the page settle.
    signals_.ResetPageLoaded();
    browser_.Navigate(temp_page);
    if (WaitForLoadThenQuiet(JobSignals::Signal::kPageLoaded) == PollEnd::kCancelled) {
        return cancelled;
    }

    // Pick the language, wait for the third load end after it, let the page settle.
    signals_.ResetPageLoaded();
    signals_.ResetLoadStages();
    browser_.PickLanguage();
    if (WaitForLoadThenQuiet(JobSignals::Signal::kLoadStage3) == PollEnd::kCancelled) {
        return cancelled;
    }

    if (timings_.waits == WaitTiming::kFast) {
        if (FastScrollSchedule() == PollEnd::kCancelled) {
            return cancelled;
        }
    } else {
        ScrollSchedule();
    }

    // Ask for the markup and wait for it.
    signals_.ResetHtmlReady();
    browser_.RetrieveMarkup();
    signals_.SetTime(JobSignals::Stamp::kHtmlReadyTime, clock_.Now());
    if (WaitForSignal(JobSignals::Signal::kHtmlReady, JobSignals::Stamp::kHtmlReadyTime) ==
        WaitEnd::kCancelled) {
        return cancelled;
    }

    // A delivery that came during the last poll step of a wait that timed out still counts.
    if (!signals_.HtmlReady()) {
        // CapturedHtml still holds an earlier page's markup: storing it would file that
        // page under this language. The page that never answered may hold the browser
        // (a script that never yields), so the browser is replaced before the next run;
        // the temporary page goes first, so the new browser cannot load it again.
        RemoveTempPage(temp_page);
        return {PageOutcome::kNotCaptured, ReplaceBrowser(), {}};
    }

    view_.EmptyTextBuffers();
    std::u16string markup = signals_.CapturedHtml();
    // The widget marks the page it translated on its root element; a page without the mark
    // is stored all the same, but never counted as translated.
    const PageOutcome outcome =
        CarriesTranslationMark(markup) ? PageOutcome::kStored : PageOutcome::kNotTranslated;
    signals_.SetCapturedHtml(
        StoreResult(std::move(markup), names, language_index, result_root, code_page_));
    RemoveTempPage(temp_page);
    return {outcome, BrowserState::kKept, {}};
}

void PageRun::Pump() {
    owner_.Check();
    pump_.Pump();
}

PollEnd PollOnce(MessagePump& pump, RunClock& clock, const JobFlags& flags) {
    pump.Pump();
    clock.Sleep(kPollSleep);
    while (flags.PauseRequested()) {
        pump.Pump();
        clock.Sleep(kPollSleep);
    }
    return flags.CancelRequested() ? PollEnd::kCancelled : PollEnd::kGoOn;
}

PollEnd PageRun::PollStep() {
    owner_.Check();
    return PollOnce(pump_, clock_, flags_);
}

WaitEnd PageRun::WaitForSignal(JobSignals::Signal signal, JobSignals::Stamp stamp) {
    owner_.Check();
    for (;;) {
        if (signals_.IsSet(signal)) {
            return WaitEnd::kSignalled;
        }
        if (PollStep() == PollEnd::kCancelled) {
            return WaitEnd::kCancelled;
        }
        if (ElapsedWholeSeconds(signals_.TimeOf(stamp), clock_.Now()) >= kSignalTimeLimitSeconds) {
            return WaitEnd::kTimedOut;
        }
    }
}

PollEnd PageRun::WaitForLoadThenQuiet(JobSignals::Signal signal) {
    owner_.Check();
    signals_.SetTime(JobSignals::Stamp::kLastLoadTime, clock_.Now());
    if (WaitForSignal(signal, JobSignals::Stamp::kLastLoadTime) == WaitEnd::kCancelled) {
        return PollEnd::kCancelled;
    }
    return WaitForQuiet();
}

PollEnd PageRun::WaitForQuiet() {
    owner_.Check();
    signals_.SetTime(JobSignals::Stamp::kLastLoadTime, clock_.Now());
    const auto quiet_came = [this] {
        return ElapsedWholeSeconds(signals_.LastLoadTime(), clock_.Now()) >= kQuietPeriodSeconds;
    };
    if (timings_.waits == WaitTiming::kFast) {
        return WaitForStill(quiet_came);
    }
    while (!quiet_came()) {
        if (PollStep() == PollEnd::kCancelled) {
            return PollEnd::kCancelled;
        }
    }
    return PollEnd::kGoOn;
}

PollEnd PageRun::WaitForStill(const std::function<bool()>& full_wait_over) {
    owner_.Check();
    std::optional<std::size_t> last_sample;
    Timestamp changed{};
    bool first = true;
    while (!full_wait_over()) {
        // A change seen in a sample happened at the latest when the sample was asked for.
        const Timestamp asked = clock_.Now();
        PollEnd end = PollEnd::kGoOn;
        const std::optional<std::size_t> sample = SampleDocument(full_wait_over, end);
        if (end == PollEnd::kCancelled) {
            return end;
        }
        if (first || !sample || sample != last_sample) {
            changed = asked;
        }
        first = false;
        last_sample = sample;
        if (sample &&
            asked - std::max(changed, signals_.LastLoadTime()) >= timings_.settle_period) {
            return PollEnd::kGoOn;
        }
        while (clock_.Now() - asked < kDocumentSampleInterval) {
            if (full_wait_over()) {
                return PollEnd::kGoOn;
            }
            if (PollStep() == PollEnd::kCancelled) {
                return PollEnd::kCancelled;
            }
        }
    }
    return PollEnd::kGoOn;
}

std::optional<std::size_t> PageRun::SampleDocument(const std::function<bool()>& full_wait_over,
                                                   PollEnd& end) {
    signals_.ResetHtmlReady();
    browser_.RetrieveMarkup();
    signals_.SetTime(JobSignals::Stamp::kHtmlReadyTime, clock_.Now());
    while (!signals_.HtmlReady()) {
        if (PollStep() == PollEnd::kCancelled) {
            end = PollEnd::kCancelled;
            return std::nullopt;
        }
        if (full_wait_over()) {
            return std::nullopt;
        }
    }
    return std::hash<std::u16string>{}(signals_.CapturedHtml());
}

void PageRun::Settle() {
    owner_.Check();
    for (int pass = 0; pass < kSettlePasses; ++pass) {
        Pump();
        clock_.Sleep(kSettleSleep);
        Pump();
    }
}

PollEnd PageRun::FastScrollSchedule() {
    // The three scrolls, each held for a sample interval of poll steps, so that what the
    // page shows at each place (lazy content, text the widget translates once it is seen)
    // is set going; then one wait for stillness, no longer than the full schedule, which
    // sees whatever the scrolls set going as load ends and changes.
    // The full schedule's length: four long pauses, two short ones, a poll sleep and three
    // settlings.
    static constexpr std::chrono::milliseconds kScheduleLength =
        4 * kScrollLongPause + 2 * kScrollShortPause + kPollSleep +
        3 * kSettlePasses * kSettleSleep;
    const Timestamp started = clock_.Now();
    for (void (PageBrowser::*scroll)() :
         {&PageBrowser::ScrollToBottom, &PageBrowser::ScrollToMiddle, &PageBrowser::ScrollToTop}) {
        Pump();
        (browser_.*scroll)();
        const Timestamp scrolled = clock_.Now();
        while (clock_.Now() - scrolled < kDocumentSampleInterval) {
            if (PollStep() == PollEnd::kCancelled) {
                return PollEnd::kCancelled;
            }
        }
    }
    return WaitForStill([this, started] { return clock_.Now() - started >= kScheduleLength; });
}

void PageRun::ScrollSchedule() {
    clock_.Sleep(kScrollLongPause);
    Pump();
    Pump();
    browser_.ScrollToBottom();
    Pump();
    Pump();
    clock_.Sleep(kScrollLongPause);
    Pump();
    Settle();

    clock_.Sleep(kScrollShortPause);
    Pump();
    Pump();
    browser_.ScrollToMiddle();
    Pump();
    Pump();
    clock_.Sleep(kScrollShortPause);
    Pump();
    Settle();

    clock_.Sleep(kScrollLongPause);
    Pump();
    Pump();
    browser_.ScrollToTop();
    Pump();
    Pump();
    clock_.Sleep(kScrollLongPause);
    Pump();
    Pump();
    clock_.Sleep(kPollSleep);
    Settle();
}

BrowserState PageRun::ReplaceBrowser() {
    browser_.ReplaceBrowser();
    const Timestamp started = clock_.Now();
    while (!browser_.IsReady()) {
        if (PollStep() == PollEnd::kCancelled ||
            ElapsedWholeSeconds(started, clock_.Now()) >= kSignalTimeLimitSeconds) {
            return BrowserState::kReplacementDue;
        }
    }
    return BrowserState::kReplaced;
}

}  // namespace quillmoor
