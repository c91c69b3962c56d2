// How fast the engine library answers the program, against the real Chromium on PATH:
// start-up to the context notice, browser creation, a small page's load, reading a 10 MB
// document back, and the program's memory over many load and read cycles.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/bench_timing.h"
#include "engine/engine_object.h"
#include "tests/bridge/engine_library.h"
#include "tests/bridge/engine_test_objects.h"

namespace quillmoor::bridge_test {
namespace {

using namespace std::chrono_literals;
using bench::Clock;
using bench::ManualTime;
using bench::Seconds;

// The program's resident memory, in bytes.
long ResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6)) * 1024;
        }
    }
    return 0;
}

bool Initialise(TestApp& app) {
    std::string program = "quillmoor";
    char* argv[] = {program.data(), nullptr};
    cef_main_args_t args{1, argv};
    cef_settings_t settings{};
    settings.size = sizeof settings;
    settings.no_sandbox = 1;
    settings.multi_threaded_message_loop = 1;
    return EngineLibrary::Get().cef_initialize(&args, &settings, app.NewReference(), nullptr) == 1;
}

cef_browser_t* CreateBrowser(TestClient& client, std::size_t index) {
    cef_window_info_t window = ViewWindow();
    if (EngineLibrary::Get().cef_browser_host_create_browser(
            &window, client.NewReference(), nullptr, nullptr, nullptr, nullptr) != 1 ||
        !client.WaitForBrowsers(index + 1, 10s)) {
        return nullptr;
    }
    return client.Browser(index);
}

void Close(cef_browser_t* browser) {
    cef_browser_host_t* host = browser->get_host(browser);
    host->close_browser(host, 1);
    host->base.release(&host->base);
    browser->base.release(&browser->base);
}

// Pages written once for all benchmarks.
class Pages {
  public:
    Pages() {
        char name[] = "/tmp/quillmoor-bridge-bench-XXXXXX";
        folder_ = mkdtemp(name);
        std::ofstream(folder_ + "/small-a.html")
            << "<!DOCTYPE html><html><body><p>a small page</p></body></html>";
        std::ofstream(folder_ + "/small-b.html")
            << "<!DOCTYPE html><html><body><p>another small page</p></body></html>";
        std::ofstream big(folder_ + "/big.html");
        big << "<!DOCTYPE html><html><head><title>big</title></head><body>";
        std::size_t written = 0;
        for (int i = 0; written < 10u * 1024 * 1024; ++i) {
            const std::string row =
                "<div class=\"c" + std::to_string(i % 50) + "\"><p>Paragraph " + std::to_string(i) +
                " with some words &amp; more words here</p><span>x</span></div>\n";
            big << row;
            written += row.size();
        }
        big << "</body></html>";
    }
    ~Pages() { std::filesystem::remove_all(folder_); }
    std::string Path(const char* name) const { return folder_ + "/" + name; }

  private:
    std::string folder_;
};

// The engine with one browser, initialised on first use and shut down at the end.
struct RunningEngine {
    RunningEngine()
        : app(EngineObjectPtr<TestApp>::Make()), client(EngineObjectPtr<TestClient>::Make()) {
        ready = Initialise(*app) && app->Handler().WaitForContext(15s);
        if (ready) {
            browser = CreateBrowser(*client, 0);
        }
        ready = ready && browser != nullptr && client->WaitForLoadEnds(1, 10s);
    }
    ~RunningEngine() {
        if (browser != nullptr) {
            browser->base.release(&browser->base);
        }
        client->ReleaseBrowsers();
        EngineLibrary::Get().cef_shutdown();
    }
    // Loads address and waits for the main frame's load end.
    bool Load(const std::string& address) {
        client->ForgetLoadEnds();
        LoadUrl(browser, address);
        return client->WaitForLoadEnds(1, 10s);
    }
    // Loads the first or the second small page, by the evenness of turn, so that every turn
    // loads another page than the one before.
    bool LoadSmallPage(std::size_t turn) {
        return Load(pages.Path(turn % 2 == 0 ? "small-a.html" : "small-b.html"));
    }

    EngineObjectPtr<TestApp> app;
    EngineObjectPtr<TestClient> client;
    cef_browser_t* browser = nullptr;
    bool ready = false;
    Pages pages;
};

std::unique_ptr<RunningEngine>& EngineSlot() {
    static std::unique_ptr<RunningEngine> engine;
    return engine;
}

RunningEngine& Engine() {
    if (!EngineSlot()) {
        EngineSlot() = std::make_unique<RunningEngine>();
    }
    return *EngineSlot();
}

bool NoChromium(benchmark::State& state) {
    if (ChromiumOnPath().empty()) {
        state.SkipWithError("no Chromium on PATH");
        return true;
    }
    return false;
}

// The shared engine with its browser, or nullptr (the benchmark is then marked skipped).
RunningEngine* ReadyEngine(benchmark::State& state) {
    if (NoChromium(state)) {
        return nullptr;
    }
    if (!Engine().ready) {
        state.SkipWithError("the engine did not start");
        return nullptr;
    }
    return &Engine();
}

void InitialiseToContextNotice(benchmark::State& state) {
    if (NoChromium(state)) {
        return;
    }
    EngineSlot().reset();  // this one starts and stops engines of its own
    for (auto _ : state) {
        auto app = EngineObjectPtr<TestApp>::Make();
        const auto start = Clock::now();
        if (!Initialise(*app) || !app->Handler().WaitForContext(15s)) {
            state.SkipWithError("the engine did not start");
            return;
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
        EngineLibrary::Get().cef_shutdown();
    }
}
BENCHMARK(InitialiseToContextNotice)->Apply(ManualTime<5, benchmark::kMillisecond>);

void CreateToAfterCreated(benchmark::State& state) {
    if (ReadyEngine(state) == nullptr) {
        return;
    }
    auto client = EngineObjectPtr<TestClient>::Make();
    std::size_t created = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        cef_browser_t* browser = CreateBrowser(*client, created++);
        if (browser == nullptr) {
            state.SkipWithError("no browser");
            return;
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
        Close(browser);
        client->WaitForClosed(created, 10s);
    }
    client->ReleaseBrowsers();
}
BENCHMARK(CreateToAfterCreated)->Apply(ManualTime<10, benchmark::kMillisecond>);

void LoadSmallLocalPageToLoadEnd(benchmark::State& state) {
    RunningEngine* engine = ReadyEngine(state);
    if (engine == nullptr) {
        return;
    }
    std::size_t turn = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!engine->LoadSmallPage(turn++)) {
            state.SkipWithError("no load end");
            return;
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
}
BENCHMARK(LoadSmallLocalPageToLoadEnd)->Apply(ManualTime<50, benchmark::kMillisecond>);

void SourceOfA10MegabyteDocument(benchmark::State& state) {
    RunningEngine* engine = ReadyEngine(state);
    if (engine == nullptr) {
        return;
    }
    if (!engine->Load(engine->pages.Path("big.html"))) {
        state.SkipWithError("the big page did not load");
        return;
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const std::string source = SourceOf(engine->browser, 30s);
        if (source.empty()) {
            state.SkipWithError("no source");
            return;
        }
        state.SetIterationTime(Seconds(Clock::now() - start));
        bytes = source.size();
    }
    state.counters["document_MB"] = static_cast<double>(bytes) / (1024 * 1024);
}
BENCHMARK(SourceOfA10MegabyteDocument)->Apply(ManualTime<5, benchmark::kMillisecond>);

// The program's memory over 1,000 cycles of loading a small page and reading it back.
void MemoryOverLoadAndSourceCycles(benchmark::State& state) {
    RunningEngine* engine = ReadyEngine(state);
    if (engine == nullptr) {
        return;
    }
    const auto cycle = [&](std::size_t i) {
        return engine->LoadSmallPage(i) && !SourceOf(engine->browser, 10s).empty();
    };
    for (std::size_t i = 0; i < 50; ++i) {  // warm up: allocator pools, first-use caches
        cycle(i);
    }
    const long before = ResidentBytes();
    for (auto _ : state) {
        for (std::size_t i = 0; i < 1000; ++i) {
            if (!cycle(i)) {
                state.SkipWithError("a cycle failed");
                return;
            }
        }
    }
    const long after = ResidentBytes();
    state.counters["rss_before_MB"] = static_cast<double>(before) / (1024 * 1024);
    state.counters["rss_growth_MB"] = static_cast<double>(after - before) / (1024 * 1024);
}
BENCHMARK(MemoryOverLoadAndSourceCycles)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace quillmoor::bridge_test

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    quillmoor::bridge_test::EngineSlot().reset();
    benchmark::Shutdown();
    return 0;
}
