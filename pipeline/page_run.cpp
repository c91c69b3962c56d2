#include "pipeline/page_run.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

#include "pipeline/current_widget_traces.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/page_text.h"
#include "pipeline/result_store.h"
#include "platform/file_system.h"
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
    return TranslatePage(language_index, names,
                         ResultTarget{ResultLayout::kPerPage, std::u16string(result_root), {}},
                         progress);
}

PageRunResult PageRun::TranslatePage(std::size_t language_index, const SourceNames& names,
                                     const ResultTarget& target, LanguageProgress& progress) {
    owner_.Check();
    const std::u16string& code = LanguageCodes().at(language_index);
    // The page keeps the form it was read in, so that its temporary page reaches the browser
    // as the source would.
    SourcePage page = ReadSourcePage(names.SourcePath(), code_page_);
    // A site's page is rebuilt against its source once translated.
    const std::u16string source_text =
        target.layout == ResultLayout::kSite ? page.text : std::u16string();

    ++progress.counter;
    view_.ShowLanguageProgress(LanguageProgressText(progress.counter, progress.total));
    clock_.Sleep(kPollSleep);

    // A site's page keeps its head: the snippet goes into the body.
    std::optional<std::u16string> injected = target.layout == ResultLayout::kSite
                                                 ? InjectWidgetInBody(std::move(page.text), code)
                                                 : InjectWidget(std::move(page.text), code);
    if (!injected) {
        return {PageOutcome::kSkipped, BrowserState::kKept, {}, {}, {}};
    }
    const std::u16string temp_page = WriteTempPage(names.TempPagePath(), *injected, page.encoding);
    injected.reset();

    const PageRunResult cancelled{PageOutcome::kCancelled, BrowserState::kKept, temp_page, {}, {}};
    const auto not_translated = [&](std::string_view reason) {
        RemoveTempPage(temp_page);
        return PageRunResult{
            PageOutcome::kNotTranslated, BrowserState::kKept, {}, std::string(reason), {}};
    };
    // Only the temporary page is captured: a page that went elsewhere (a refresh, a
    // redirect, a script that set its location, perhaps to a private file) gives nothing.
    const auto left_its_page = [&] {
        RemoveTempPage(temp_page);
        return PageRunResult{
            PageOutcome::kNotCaptured, BrowserState::kKept, {}, std::string(kLeftPageReason), {}};
    };
    const bool fast = timings_.waits == WaitTiming::kFast;
    page_ = temp_page;
    struct PageInHand {
        std::u16string& page;
        ~PageInHand() { page.clear(); }
    } in_hand{page_};

    // Load. The full timing lets the page settle; the fast one goes on to the menu at once.
    signals_.ResetPageLoaded();
    browser_.Navigate(temp_page);
    if (fast) {
        signals_.SetTime(JobSignals::Stamp::kLastLoadTime, clock_.Now());
        if (WaitForSignal(JobSignals::Signal::kPageLoaded, JobSignals::Stamp::kLastLoadTime) ==
            WaitEnd::kCancelled) {
            return cancelled;
        }
    } else if (WaitForLoadThenQuiet(JobSignals::Signal::kPageLoaded) == PollEnd::kCancelled) {
        return cancelled;
    }

    // The language is picked only once the widget's menu is there, and again while the
    // widget does not answer.
    std::size_t before_pick = 0;
    switch (WaitForMenu(before_pick)) {
        case MenuEnd::kCancelled:
            return cancelled;
        case MenuEnd::kNeverShown:
            return not_translated(kNoMenuReason);
        case MenuEnd::kPageLeft:
            return left_its_page();
        case MenuEnd::kShown:
            break;
    }
    PickAnswer answer;
    switch (PickUntilAnswered(before_pick, answer)) {
        case PickEnd::kCancelled:
            return cancelled;
        case PickEnd::kIgnored:
            return not_translated(kPickIgnoredReason);
        case PickEnd::kPageLeft:
            return left_its_page();
        case PickEnd::kAnswered:
            break;
    }

    if (fast) {
        if (WaitForWidgetDone(answer) == PollEnd::kCancelled) {
            return cancelled;
        }
    } else {
        // The third load end after the pick (the limit moves with each load end), quiet,
        // then the scroll schedule.
        if (WaitForSignal(JobSignals::Signal::kLoadStage3, JobSignals::Stamp::kLastLoadTime) ==
                WaitEnd::kCancelled ||
            WaitForQuiet() == PollEnd::kCancelled) {
            return cancelled;
        }
        ScrollSchedule();
    }

    if (!browser_.ShowsPage(temp_page)) {
        return left_its_page();
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
        return {PageOutcome::kNotCaptured, ReplaceBrowser(), {}, {}, {}};
    }

    if (!browser_.ShowsPage(temp_page)) {
        return left_its_page();
    }
    view_.EmptyTextBuffers();
    std::u16string markup = signals_.CapturedHtml();
    // The widget marks the page it translated on its root element. A page without the mark
    // is never stored: it would stand in the result tree as a translation, over an earlier
    // good one.
    if (!CarriesTranslationMark(markup)) {
        return not_translated(kNoMarkReason);
    }
    StoredResult stored;
    try {
        switch (target.layout) {
            case ResultLayout::kSite:
                stored = StoreSitePage(std::move(markup), source_text,
                                       ResultPlaceFor(target, names, code), code, code_page_);
                break;
            case ResultLayout::kPerPage:
                stored =
                    StoreResult(std::move(markup), names, language_index, target.root, code_page_);
                break;
        }
    } catch (const FileSystemError&) {
        // A failed store (a full disk, say) must not leave the page beside its source.
        RemoveTempPage(temp_page);
        throw;
    }
    signals_.SetCapturedHtml(std::move(stored.markup));
    RemoveTempPage(temp_page);
    PageRunResult result{PageOutcome::kStored, BrowserState::kKept, {}, {}, {}};
    result.passed_over = std::move(stored.passed_over);
    return result;
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
    StillWait wait;
    wait.full_wait_over = full_wait_over;
    return WaitUntilStill(wait);
}

PollEnd PageRun::WaitUntilStill(const StillWait& wait) {
    std::optional<std::size_t> last_sample = wait.baseline;
    std::optional<Timestamp> last_change = wait.last_change;
    Timestamp changed{};
    std::chrono::milliseconds longest_gap = wait.longest_gap;
    Timestamp previous_asked = wait.baseline_asked;
    bool first = !wait.baseline;
    std::size_t scrolled = 0;
    Timestamp last_scroll{};
    while (!wait.full_wait_over()) {
        if (scrolled < wait.scrolls.size()) {
            Pump();
            (browser_.*wait.scrolls[scrolled++])();
            last_scroll = clock_.Now();
        }
        // A change seen in a sample happened at the latest when the sample was asked for.
        const Timestamp asked = clock_.Now();
        PollEnd end = PollEnd::kGoOn;
        const std::optional<std::u16string> markup = SampleMarkup(wait.full_wait_over, end);
        if (end == PollEnd::kCancelled) {
            return end;
        }
        // A page that went elsewhere will not come back: the capture says so.
        if (!page_.empty() && !browser_.ShowsPage(page_)) {
            return PollEnd::kGoOn;
        }
        std::optional<std::size_t> sample;
        if (markup) {
            sample = std::hash<std::u16string>{}(*markup);
        }
        if (first || !sample || sample != last_sample) {
            changed = asked;
            if (!first && sample) {
                const std::optional<Timestamp> gap_from = last_change ? last_change : wait.picked;
                const Timestamp gap_to = last_change ? asked : previous_asked;
                if (gap_from && gap_to > *gap_from) {
                    longest_gap = std::max(
                        longest_gap,
                        std::chrono::duration_cast<std::chrono::milliseconds>(gap_to - *gap_from));
                }
                last_change = asked;
            }
        }
        first = false;
        last_sample = sample;
        previous_asked = asked;
        // Batches of a widget come about as far apart as the longest gap seen so far: the
        // page must stay still for longer than that.
        const std::chrono::milliseconds still_for =
            std::max(timings_.settle_period, longest_gap * 3 / 2);
        // A scroll counts as a change: what it sets going needs the settle period to show.
        if (sample && scrolled == wait.scrolls.size() &&
            asked - std::max({changed, last_scroll, signals_.LastLoadTime()}) >= still_for &&
            (!wait.may_end || wait.may_end()) &&
            (!wait.needs_mark || CarriesTranslationMark(*markup))) {
            return PollEnd::kGoOn;
        }
        if (HoldSampleInterval(asked, wait.full_wait_over) == PollEnd::kCancelled) {
            return PollEnd::kCancelled;
        }
    }
    return PollEnd::kGoOn;
}

PollEnd PageRun::HoldSampleInterval(Timestamp asked, const std::function<bool()>& over) {
    while (clock_.Now() - asked < kDocumentSampleInterval) {
        if (over()) {
            return PollEnd::kGoOn;
        }
        if (PollStep() == PollEnd::kCancelled) {
            return PollEnd::kCancelled;
        }
    }
    return PollEnd::kGoOn;
}

std::optional<std::u16string> PageRun::SampleMarkup(const std::function<bool()>& give_up,
                                                    PollEnd& end) {
    signals_.ResetHtmlReady();
    browser_.RetrieveMarkup();
    signals_.SetTime(JobSignals::Stamp::kHtmlReadyTime, clock_.Now());
    while (!signals_.HtmlReady()) {
        if (PollStep() == PollEnd::kCancelled) {
            end = PollEnd::kCancelled;
            return std::nullopt;
        }
        if (give_up()) {
            return std::nullopt;
        }
    }
    return signals_.CapturedHtml();
}

PageRun::MenuEnd PageRun::WaitForMenu(std::size_t& digest) {
    const Timestamp started = clock_.Now();
    const auto over = [this, started] {
        return ElapsedWholeSeconds(started, clock_.Now()) >= kSignalTimeLimitSeconds;
    };
    for (;;) {
        const Timestamp asked = clock_.Now();
        PollEnd end = PollEnd::kGoOn;
        const std::optional<std::u16string> markup = SampleMarkup(over, end);
        if (end == PollEnd::kCancelled) {
            return MenuEnd::kCancelled;
        }
        if (!browser_.ShowsPage(page_)) {
            return MenuEnd::kPageLeft;
        }
        if (markup && HoldsLanguageMenu(*markup)) {
            digest = std::hash<std::u16string>{}(*markup);
            return MenuEnd::kShown;
        }
        if (over()) {
            return MenuEnd::kNeverShown;
        }
        if (HoldSampleInterval(asked, over) == PollEnd::kCancelled) {
            return MenuEnd::kCancelled;
        }
    }
}

PageRun::PickEnd PageRun::PickUntilAnswered(std::size_t before_pick, PickAnswer& answer) {
    for (int attempt = 0; attempt < kPickAttempts; ++attempt) {
        signals_.ResetPageLoaded();
        signals_.ResetLoadStages();
        browser_.PickLanguage();
        const Timestamp picked = clock_.Now();
        signals_.SetTime(JobSignals::Stamp::kLastLoadTime, picked);
        const auto over = [this, picked] { return clock_.Now() - picked >= kPickAnswerLimit; };
        while (!over()) {
            const Timestamp asked = clock_.Now();
            PollEnd end = PollEnd::kGoOn;
            const std::optional<std::u16string> markup = SampleMarkup(over, end);
            if (end == PollEnd::kCancelled) {
                return PickEnd::kCancelled;
            }
            if (!browser_.ShowsPage(page_)) {
                return PickEnd::kPageLeft;
            }
            // The widget answers with its mark, a change to the text or the loads of its
            // frames.
            const bool changed = markup && (CarriesTranslationMark(*markup) ||
                                            std::hash<std::u16string>{}(*markup) != before_pick);
            if (changed || signals_.LoadStage1()) {
                answer.picked = picked;
                answer.at = asked;
                answer.changed = changed;
                if (markup) {
                    answer.digest = std::hash<std::u16string>{}(*markup);
                }
                return PickEnd::kAnswered;
            }
            if (HoldSampleInterval(asked, over) == PollEnd::kCancelled) {
                return PickEnd::kCancelled;
            }
        }
    }
    return PickEnd::kIgnored;
}

PollEnd PageRun::WaitForWidgetDone(const PickAnswer& answer) {
    // Done once the widget's frames have loaded (the third load end after the pick, or its
    // limit), the page carries the mark, and it has been still for longer than the settle
    // period and the widget's pace; never longer than the full timing would wait for the
    // third load end and the quiet after it.
    const auto third_load_end_or_limit = [this] {
        return signals_.LoadStage3() ||
               ElapsedWholeSeconds(signals_.LastLoadTime(), clock_.Now()) >=
                   kSignalTimeLimitSeconds;
    };
    StillWait wait;
    wait.full_wait_over = [this, third_load_end_or_limit] {
        return third_load_end_or_limit() &&
               ElapsedWholeSeconds(signals_.LastLoadTime(), clock_.Now()) >= kQuietPeriodSeconds;
    };
    wait.may_end = third_load_end_or_limit;
    wait.needs_mark = true;
    // The scrolls come with the first samples, a sample interval apart, so that what the
    // page shows at each place (lazy content, text the widget translates once it is seen)
    // is set going while the widget's frames load, and seen as load ends and changes.
    wait.scrolls = {&PageBrowser::ScrollToBottom, &PageBrowser::ScrollToMiddle,
                    &PageBrowser::ScrollToTop};
    wait.baseline = answer.digest;
    wait.baseline_asked = answer.at;
    wait.picked = answer.picked;
    if (answer.changed) {
        // The widget's first batch came this long after the pick: the next may come as late.
        wait.last_change = answer.at;
        wait.longest_gap =
            std::chrono::duration_cast<std::chrono::milliseconds>(answer.at - answer.picked);
    }
    return WaitUntilStill(wait);
}

void PageRun::Settle() {
    owner_.Check();
    for (int pass = 0; pass < kSettlePasses; ++pass) {
        Pump();
        clock_.Sleep(kSettleSleep);
        Pump();
    }
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
