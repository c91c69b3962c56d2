// The page run on the real Chromium (through the Linux engine library) with the hidden
// browser window on Qt's offscreen platform and the translation widget's stand-in:
//  - PageRunOverhead: the program's own share of one run: its wall time minus the floor
//    that the run's schedule sets (two quiet periods and the scroll schedule's sleeps)
//    minus the time the page itself took to its first load end and, after the click, to
//    its third. Goal: at most 1 s.
//  - QuietWaitCpu: the processor time of the program's process (Chromium's processes not
//    counted) while it waits for 28 quiet seconds, as a share of one core. Goal: at most
//    2 %. The GUI thread's own share is given beside it.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <mutex>
#include <thread>

#include "bench/bench_timing.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/source_names.h"
#include "platform/utf.h"
#include "tests/browser/chromium_page_run_host.h"
#include "tests/support/test_folder.h"
#include "tests/widget_standin/widget_standin_server.h"

namespace quillmoor::browser_test {
namespace {

using bench::Clock;
using bench::ManualTime;
using bench::Seconds;

double CpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The program's clock, noting when the engine's thread asks it for the time: that is a
// load end or a delivery of markup.
class NotingClock final : public RunClock {
  public:
    explicit NotingClock(RunClock& clock) : clock_(clock), gui_(std::this_thread::get_id()) {}
    Timestamp Now() override {
        if (std::this_thread::get_id() != gui_) {
            std::lock_guard lock(mutex_);
            events_.push_back(Clock::now());
        }
        return clock_.Now();
    }
    void Sleep(std::chrono::milliseconds duration) override { clock_.Sleep(duration); }
    std::vector<Clock::time_point> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }

  private:
    RunClock& clock_;
    const std::thread::id gui_;
    std::mutex mutex_;
    std::vector<Clock::time_point> events_;
};

// The window's commands, noting when the run gives them.
class NotingBrowser final : public PageBrowser {
  public:
    explicit NotingBrowser(PageBrowser& browser) : browser_(browser) {}
    void Navigate(const std::u16string& path) override {
        navigated = Clock::now();
        browser_.Navigate(path);
    }
    void PickLanguage() override {
        picked = Clock::now();
        browser_.PickLanguage();
    }
    void ScrollToBottom() override { browser_.ScrollToBottom(); }
    void ScrollToMiddle() override { browser_.ScrollToMiddle(); }
    void ScrollToTop() override { browser_.ScrollToTop(); }
    void RetrieveMarkup() override {
        retrieved = Clock::now();
        browser_.RetrieveMarkup();
    }
    void ReplaceBrowser() override { browser_.ReplaceBrowser(); }
    bool IsReady() const override { return browser_.IsReady(); }
    bool ShowsPage(const std::u16string& path) const override { return browser_.ShowsPage(path); }

    Clock::time_point navigated, picked, retrieved;

  private:
    PageBrowser& browser_;
};

struct Setup {
    Setup();

    SteadyRunClock steady;
    NotingClock clock{steady};
    test_support::TestFolder folder;
    std::unique_ptr<test_support::WidgetStandinServer> standin;
    std::unique_ptr<ChromiumPageRunHost> host;
    std::filesystem::path site;
};

Setup::Setup() : site(folder.Root() / "site") {
    std::filesystem::create_directories(site / "page_files");
    test_support::WriteBytes(site / "page.html",
                             "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>Bench</title>\r\n"
                             "<link rel=\"stylesheet\" href=\"page_files/style.css\">\r\n</head>"
                             "\r\n<body>\r\n<h1>Hello world</h1>\r\n<p>Some text.</p>\r\n"
                             "</body>\r\n</html>\r\n");
    test_support::WriteBytes(site / "page_files" / "style.css", "h1 { color: #345; }\n");
    standin = std::make_unique<test_support::WidgetStandinServer>(folder.Root() / "standin");
    host = std::make_unique<ChromiumPageRunHost>(QUILLMOOR_ENGINE_FOLDER, standin->EngineSwitches(),
                                                 &clock);
}

// The shared set-up with its engine ready, or nullptr (the benchmark is then marked skipped).
Setup* ReadySetup(benchmark::State& state) {
    if (ChromiumOnPath().empty()) {
        state.SkipWithError("no Chromium on PATH");
        return nullptr;
    }
    static Setup setup;
    if (!setup.host->Ready()) {
        state.SkipWithError(setup.host->Problems().c_str());
        return nullptr;
    }
    return &setup;
}

std::size_t FrenchIndex() {
    const std::vector<std::u16string>& codes = LanguageCodes();
    return static_cast<std::size_t>(std::find(codes.begin(), codes.end(), u"fr") - codes.begin());
}

void PageRunOverhead(benchmark::State& state) {
    Setup* setup = ReadySetup(state);
    if (setup == nullptr) {
        return;
    }
    PageBrowserWindow window_browser(setup->host->Window());
    NotingBrowser browser(window_browser);
    NotingClock& clock = setup->clock;
    PageRun run = setup->host->MakeRun(&browser);
    const SourceNames names(Utf8ToUtf16(setup->site.string() + "/"), u"page.html");
    const std::u16string root = Utf8ToUtf16((setup->folder.Root() / "result").string() + "/");
    for (auto _ : state) {
        LanguageProgress progress{0, 1};
        const Clock::time_point start = Clock::now();
        const PageRunResult result = run.TranslatePage(FrenchIndex(), names, root, progress);
        const Clock::duration wall = Clock::now() - start;
        if (result.outcome != PageOutcome::kStored) {
            state.SkipWithError("the page was not stored");
            return;
        }
        // The page's own time: to its first load end after the navigation, and to its
        // third after the click.
        std::vector<Clock::time_point> after_navigation, after_click;
        for (const Clock::time_point event : clock.Events()) {
            if (event >= browser.navigated && event < browser.picked) {
                after_navigation.push_back(event);
            } else if (event >= browser.picked && event < browser.retrieved) {
                after_click.push_back(event);
            }
        }
        if (after_navigation.empty() || after_click.size() < 3) {
            static std::string problem;
            problem = "the page did not report its load ends (" +
                      std::to_string(clock.Events().size()) + " engine events, " +
                      std::to_string(after_navigation.size()) + " after the navigation, " +
                      std::to_string(after_click.size()) + " after the click)";
            state.SkipWithError(problem.c_str());
            return;
        }
        const Clock::duration page =
            (after_navigation.front() - browser.navigated) + (after_click[2] - browser.picked);
        const std::chrono::milliseconds floor =
            2 * std::chrono::seconds(kQuietPeriodSeconds) + 3 * kSettlePasses * kSettleSleep +
            4 * kScrollLongPause + 2 * kScrollShortPause + kPollSleep;
        state.SetIterationTime(Seconds(wall));
        state.counters["wall_s"] = Seconds(wall);
        state.counters["floor_s"] = Seconds(floor);
        state.counters["page_s"] = Seconds(page);
        state.counters["overhead_s"] = Seconds(wall - floor - page);
    }
}
BENCHMARK(PageRunOverhead)->Apply(ManualTime<1, benchmark::kSecond>);

void QuietWaitCpu(benchmark::State& state) {
    Setup* setup = ReadySetup(state);
    if (setup == nullptr) {
        return;
    }
    PageRun run = setup->host->MakeRun();
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const double process_start = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const double thread_start = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        run.WaitForQuiet();
        const double thread_cpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - thread_start;
        const double process_cpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process_start;
        const double wall = Seconds(Clock::now() - start);
        state.SetIterationTime(wall);
        state.counters["wall_s"] = wall;
        state.counters["process_cpu_percent"] = 100.0 * process_cpu / wall;
        state.counters["gui_thread_cpu_percent"] = 100.0 * thread_cpu / wall;
    }
}
BENCHMARK(QuietWaitCpu)->Apply(ManualTime<1, benchmark::kSecond>);

}  // namespace
}  // namespace quillmoor::browser_test

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    // The engine is shut down and the stand-in ended before the process ends.
    benchmark::Shutdown();
    return 0;
}
