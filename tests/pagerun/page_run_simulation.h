// A simulated world for the page run: a clock whose time moves only when the run sleeps,
// a message pump, a browser that answers its commands at chosen moments, and a recording
// progress view. Everything runs on the test's thread, in simulated time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "pipeline/job_flags.h"
#include "pipeline/job_signals.h"
#include "pipeline/message_pump.h"
#include "pipeline/page_browser.h"
#include "pipeline/run_clock.h"
#include "pipeline/run_progress_view.h"

namespace quillmoor::test_support {

using Ms = std::chrono::milliseconds;

class RunawaySimulation : public std::runtime_error {
  public:
    RunawaySimulation() : std::runtime_error("the simulated run went on past its horizon") {}
};

// The clock and the pump. Engine events (load ends, deliveries) happen at their moment,
// while the run sleeps; user actions (Pause, Cancel) happen at the first pump at or after
// their moment, as a button press is dispatched by the message loop.
class Simulation final : public RunClock, public MessagePump {
  public:
    // The moment the simulation starts at (not the clock's zero).
    static constexpr Timestamp kStart = Timestamp(Ms(1'000'000));
    // A run still sleeping this long after the start never ends: Sleep throws
    // RunawaySimulation (a test fails instead of filling the memory with its trace).
    static constexpr Ms kHorizon = Ms(2LL * 3600 * 1000);

    Timestamp Now() override { return now_; }
    // Records "sleep N", then moves the time on, running each engine event at its moment.
    void Sleep(Ms duration) override;
    // Records "pump", then runs the user actions that are due.
    void Pump() override;

    // Schedules an engine event / a user action at moment at.
    void EngineAt(Timestamp at, std::function<void()> event);
    void UserAt(Timestamp at, std::function<void()> action);

    // Appends an entry to the trace.
    void Record(std::string entry) { trace_.push_back(std::move(entry)); }
    const std::vector<std::string>& Trace() const { return trace_; }

    // Number of times an entry occurs in the trace.
    std::size_t Count(const std::string& entry) const;

  private:
    using Schedule = std::multimap<Timestamp, std::function<void()>>;

    Timestamp now_ = kStart;
    Schedule engine_events_;
    Schedule user_actions_;
    std::vector<std::string> trace_;
};

// The hidden browser as a script: each command is recorded (in the simulation's trace and
// with the job signals as they stood when it came) and answered with load ends and a
// delivery at moments relative to the command.
class ScriptedBrowser final : public PageBrowser {
  public:
    // The job signals as they stood at a moment.
    struct Snapshot {
        bool page_loaded;
        bool load_stage1;
        bool load_stage2;
        bool load_stage3;
        bool html_ready;
        Timestamp last_load_time;
        Timestamp html_ready_time;
    };
    struct Command {
        std::string name;  // navigate, pick, bottom, middle, top, retrieve, replace
        Timestamp at;
        Snapshot signals;
        // The signals at the first engine moment after the command: the run's first sleep.
        std::optional<Snapshot> at_first_sleep;
    };

    ScriptedBrowser(Simulation& simulation, JobSignals& signals);

    // Load ends after Navigate, each at this delay after the command.
    std::vector<Ms> load_ends_after_navigate = {Ms(1500)};
    // Load ends after PickLanguage.
    std::vector<Ms> load_ends_after_pick = {Ms(400), Ms(900), Ms(1300)};
    // The markup that RetrieveMarkup delivers and its delay; nothing when empty. By default a
    // page that the widget marked as translated.
    std::optional<std::pair<Ms, std::u16string>> delivery = std::make_pair(
        Ms(200), std::u16string(u"<html class=\"translated-ltr\"><body>translated</body></html>"));
    // The widget in the page, as the deliveries show it: its language menu appears this
    // long after Navigate (never when empty); the picks after the first ignored_picks are
    // answered (the ignored ones get no load ends either), the translated text arriving in
    // batches this long after the answered pick, the first carrying the translation mark.
    // Before the last batch the page is kMenuPage or a batch page; after it, delivery's
    // markup.
    std::optional<Ms> menu_after_navigate = Ms(0);
    // Once the page was scrolled: when mute, it stops answering requests for its markup;
    // otherwise its markup comes after delivery_after_scroll, if set, instead of delivery's
    // delay.
    bool mute_after_scroll = false;
    std::optional<Ms> delivery_after_scroll;
    int ignored_picks = 0;
    std::vector<Ms> batches_after_pick = {Ms(300)};
    static constexpr std::u16string_view kNoMenuPage = u"<html><body>page</body></html>";
    static constexpr std::u16string_view kMenuPage =
        u"<html><body>page<iframe class=\"goog-te-menu-frame skiptranslate\"></iframe></body>"
        u"</html>";
    // The document after batch number (from 1) of the batches but the last.
    static std::u16string BatchPage(std::size_t number);
    // When set, the page goes elsewhere this long after Navigate (ShowsPage turns false).
    std::optional<Ms> leaves_page_after_navigate;
    // When set, each delivery (still at delivery's delay) brings the document as this gives
    // it at the moment the markup was asked for: a page that changes while it is sampled.
    std::function<std::u16string(Timestamp)> document;
    // How long a replaced browser takes to become ready; never when empty.
    std::optional<Ms> ready_after_replace = Ms(2000);

    QUILLMOOR_PAGE_BROWSER_OVERRIDES;

    const std::vector<Command>& Commands() const { return commands_; }
    // The first / last command of that name; fails the test when there is none.
    const Command& First(const std::string& name) const;
    const Command& Last(const std::string& name) const;
    // The paths navigated to.
    const std::vector<std::u16string>& Paths() const { return paths_; }
    // Whether a file existed at the navigated path when ReplaceBrowser came.
    std::optional<bool> temp_page_at_replace;

  private:
    Snapshot Take() const;
    // The widget's document at now (see menu_after_navigate).
    std::u16string WidgetDocument(Timestamp now) const;
    void Note(const std::string& name);
    void LoadEndsAfter(const std::vector<Ms>& delays);

    Simulation& simulation_;
    JobSignals& signals_;
    bool ready_ = true;
    std::vector<Command> commands_;
    std::vector<std::u16string> paths_;
    std::optional<Timestamp> navigated_at_;
    std::vector<Timestamp> picks_;
};

// Records what the run shows.
class RecordingView final : public RunProgressView {
  public:
    void ShowLanguageProgress(std::u16string_view text) override {
        progress_lines.emplace_back(text);
    }
    void EmptyTextBuffers() override { ++buffers_emptied; }

    std::vector<std::u16string> progress_lines;
    int buffers_emptied = 0;
};

}  // namespace quillmoor::test_support
