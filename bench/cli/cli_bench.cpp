// The command line as a process, on the real Chromium (through the Linux engine library)
// with the translation widget's stand-in and the sample page:
//  - OnePageLanguage: one page-language at the fast timing. "page_language_s" is the page
//    run's own time as the report gives it (goal: at most 3 s, against more than 72 s at the
//    full timing); the benchmark's time is the whole command's, engine start and end
//    included.
//  - Parallel/N: 24 page-languages (8 copies of the sample page in 3 languages) with N
//    browsers at once: "page_languages_per_s" and, sampled every 100 ms over the command's
//    process tree (coordinator, workers and their Chromium processes), the peak of the
//    summed proportional set size ("peak_pss_mb", shared pages divided among their sharers)
//    and of the summed resident set size ("peak_rss_mb", shared pages counted in each).
//    Goal: at the best N, at least twice the throughput of N = 1.
#include <benchmark/benchmark.h>
#include <dirent.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/command_line/cli_process.h"
#include "tests/support/test_folder.h"
#include "tests/widget_standin/widget_standin_server.h"

namespace quillmoor::test_support {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The stand-in and the sample site, made once for all benchmarks.
struct World {
    World() : standin(folder.Root() / "standin") {
        for (int copy = 1; copy <= 8; ++copy) {
            const fs::path page = site / ("page" + std::to_string(copy));
            fs::create_directories(page);
            fs::copy(fs::path(QUILLMOOR_SAMPLE_FOLDER) / "welcome.html", page / "welcome.html");
            fs::copy(fs::path(QUILLMOOR_SAMPLE_FOLDER) / "welcome_files", page / "welcome_files",
                     fs::copy_options::recursive);
        }
    }
    std::vector<std::string> Arguments(const std::vector<std::string>& more) const {
        std::vector<std::string> arguments = {"--force", "--progress", "lines"};
        for (const std::string& engine_switch : standin.EngineSwitches()) {
            arguments.push_back("--engine-switch=" + engine_switch);
        }
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    }

    TestFolder folder;
    WidgetStandinServer standin;
    const fs::path site = folder.Root() / "site";
};

World& TheWorld() {
    static World world;
    return world;
}

// The kB of a "Name:   123 kB" line of a /proc file.
long long KilobytesOf(const std::string& file, const std::string& name) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(name + ":", 0) == 0) {
            return std::atoll(line.c_str() + name.size() + 1);
        }
    }
    return 0;
}

// The process root and all its descendants.
std::vector<pid_t> TreeOf(pid_t root) {
    std::multimap<pid_t, pid_t> children;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* entry = readdir(proc)) {
            const pid_t pid = std::atoi(entry->d_name);
            if (pid <= 0) {
                continue;
            }
            std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
            std::string text((std::istreambuf_iterator<char>(stat)), {});
            const std::size_t close = text.rfind(')');
            if (close == std::string::npos) {
                continue;
            }
            std::istringstream rest(text.substr(close + 2));
            char state = 0;
            pid_t parent = 0;
            rest >> state >> parent;
            children.emplace(parent, pid);
        }
        closedir(proc);
    }
    std::vector<pid_t> tree = {root};
    for (std::size_t at = 0; at < tree.size(); ++at) {
        const auto [first, last] = children.equal_range(tree[at]);
        for (auto it = first; it != last; ++it) {
            tree.push_back(it->second);
        }
    }
    return tree;
}

// Samples the memory of a process tree every 100 ms until stopped.
class MemorySampler {
  public:
    explicit MemorySampler(pid_t root)
        : thread_([this, root] {
              while (!stop_) {
                  long long pss = 0;
                  long long rss = 0;
                  for (pid_t pid : TreeOf(root)) {
                      const std::string base = "/proc/" + std::to_string(pid);
                      pss += KilobytesOf(base + "/smaps_rollup", "Pss");
                      rss += KilobytesOf(base + "/status", "VmRSS");
                  }
                  peak_pss_ = std::max(peak_pss_.load(), pss);
                  peak_rss_ = std::max(peak_rss_.load(), rss);
                  std::this_thread::sleep_for(std::chrono::milliseconds(100));
              }
          }) {}
    ~MemorySampler() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    double PeakPssMegabytes() const { return static_cast<double>(peak_pss_) / 1024.0; }
    double PeakRssMegabytes() const { return static_cast<double>(peak_rss_) / 1024.0; }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<long long> peak_pss_{0};
    std::atomic<long long> peak_rss_{0};
    std::thread thread_;
};

void OnePageLanguage(benchmark::State& state) {
    World& world = TheWorld();
    const fs::path report = world.folder.Root() / "one.json";
    double page_seconds = 0;
    for (auto _ : state) {
        const auto started = Clock::now();
        const CliRun run =
            RunCli(world.Arguments({(world.site / "page1" / "welcome.html").string(), "--lang",
                                    "fr", "--out", (world.folder.Root() / "one").string(),
                                    "--report", report.string()}),
                   world.folder.Root() / "one.log");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - started).count());
        if (run.exit_code != 0) {
            state.SkipWithError(("the run failed: " + run.output).c_str());
            return;
        }
        const auto json = nlohmann::json::parse(ReadBytes(report));
        page_seconds += json.at("pages").at(0).at("seconds").get<double>();
    }
    state.counters["page_language_s"] = page_seconds / static_cast<double>(state.iterations());
}
BENCHMARK(OnePageLanguage)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(5);

void Parallel(benchmark::State& state) {
    World& world = TheWorld();
    const int browsers = static_cast<int>(state.range(0));
    double seconds = 0;
    double peak_pss = 0;
    double peak_rss = 0;
    for (auto _ : state) {
        const auto started = Clock::now();
        CliProcess process(world.Arguments({world.site.string(), "--lang", "fr,de,ja", "--parallel",
                                            std::to_string(browsers), "--out",
                                            (world.folder.Root() / "parallel").string()}),
                           world.folder.Root() / "parallel.log");
        MemorySampler sampler(process.Pid());
        const std::optional<int> exit_code = process.Wait(std::chrono::seconds(600));
        sampler.Stop();
        const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
        state.SetIterationTime(elapsed);
        if (exit_code != 0) {
            state.SkipWithError(("the run failed: " + process.Output()).c_str());
            return;
        }
        seconds += elapsed;
        peak_pss = std::max(peak_pss, sampler.PeakPssMegabytes());
        peak_rss = std::max(peak_rss, sampler.PeakRssMegabytes());
    }
    state.counters["page_languages_per_s"] =
        24.0 * static_cast<double>(state.iterations()) / seconds;
    state.counters["peak_pss_mb"] = peak_pss;
    state.counters["peak_rss_mb"] = peak_rss;
}
BENCHMARK(Parallel)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(2);

}  // namespace
}  // namespace quillmoor::test_support

BENCHMARK_MAIN();
