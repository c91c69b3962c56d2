// The page run of the command line against the reference a user would otherwise write:
// reference_driver.py, a minimal event-driven driver of the same headless Chromium over the
// DevTools pipe (it writes the temporary page with the program's own widget snippet, polls
// for the menu entry, clicks it with the program's own pick scripts, waits for the third
// frame load end after the click and takes the markup).
//
// Each benchmark runs, one after the other, on the same pages and the same stand-in, the
// driver and then "quillmoor-cli --parallel 1", once each, and reports for both:
//  - "<who>_s_per_pl": the mean time of a page-language, as the driver's and the command
//    line's reports give it (the command line's "seconds" of each page);
//  - "<who>_chromium_cpu_s_per_pl": the processor time (user and system) of every Chromium
//    process tree the run started, engine start and end included, per page-language. Both
//    start Chromium through chromium_cpu_meter (first in PATH for the command line), which
//    reaps the whole tree and notes its time;
//  - "<who>_done": the page-languages that came out as done (driver: its three frame loads
//    ended; command line: outcome "stored"), and "<who>_whole": the results in which the
//    page's last text is translated (the slow widget translates in batches);
//  - "<who>_wall_s": the whole run, Chromium's start and end included.
// The label names the outcomes of the page-languages not done, with their counts. The
// benchmark's time is both runs together. Stand-ins: the first widget generation
// ("standin"), today's ("current"), and the first generation at WidgetStandinServer::
// kSlowPace ("slow"; one page-language, since a run that misses the late menu waits long).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_timing.h"
#include "handlers/page_scripts.h"
#include "pipeline/widget_snippet.h"
#include "platform/utf.h"
#include "tests/command_line/cli_process.h"
#include "tests/support/argument_vector.h"
#include "tests/support/test_folder.h"
#include "tests/widget_standin/widget_standin_server.h"

namespace quillmoor::test_support {
namespace {

namespace fs = std::filesystem;
using bench::Clock;
using bench::Seconds;
using json = nlohmann::json;

// The sample page's last text: translated in a result only when the widget is done.
constexpr const char* kLastText = "Its style sheet lies in its resource folder";

// Sets an environment variable for as long as it lives.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// The stand-in, the meter's folder and the sample site, made once for all benchmarks.
struct World {
    World() : standin(folder.Root() / "standin") {
        fs::create_directories(meter_folder);
        fs::create_symlink(QUILLMOOR_CHROMIUM_CPU_METER, meter_folder / "chromium");
        for (int copy = 1; copy <= 3; ++copy) {
            const fs::path page = site / ("page" + std::to_string(copy));
            fs::create_directories(page);
            fs::copy(fs::path(QUILLMOOR_SAMPLE_FOLDER) / "welcome.html", page / "welcome.html");
            fs::copy(fs::path(QUILLMOOR_SAMPLE_FOLDER) / "welcome_files", page / "welcome_files",
                     fs::copy_options::recursive);
        }
    }

    TestFolder folder;
    WidgetStandinServer standin;
    const fs::path meter_folder = folder.Root() / "meter";
    const fs::path site = folder.Root() / "site";
};

World& TheWorld() {
    static World world;
    return world;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The processor seconds of the Chromium runs noted in a meter's file, and their count.
struct ChromiumTime {
    double seconds = 0;
    int runs = 0;
};

ChromiumTime ReadChromiumTime(const fs::path& file) {
    ChromiumTime time;
    std::istringstream in(ReadText(file));
    double seconds = 0;
    int browser = 0;
    while (in >> seconds >> browser) {
        time.seconds += seconds;
        ++time.runs;
    }
    return time;
}

// What one run of either side gave.
struct SideResult {
    std::string error;  // empty when the run could be read
    double wall_seconds = 0;
    double page_seconds = 0;  // summed over the page-languages
    int done = 0;
    int whole = 0;
    std::map<std::string, int> other_outcomes;  // of the page-languages not done
    ChromiumTime chromium;
};

bool HoldsTranslatedLastText(const fs::path& result, const std::string& language) {
    const std::string text = ReadText(result);
    return text.find("[" + language + "] " + kLastText) != std::string::npos;
}

// Runs the driver on job to its end (at most limit), its output into log; its exit code,
// empty when it had to be killed.
std::optional<int> RunDriverProcess(const fs::path& job, const fs::path& log,
                                    std::chrono::seconds limit) {
    std::vector<std::string> arguments = {"/usr/bin/python3", QUILLMOOR_REFERENCE_DRIVER,
                                          job.string()};
    std::vector<char*> argv = PointersTo(arguments);
    const pid_t pid = fork();
    if (pid < 0) {
        return std::nullopt;
    }
    if (pid == 0) {
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    const auto end = Clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) != pid) {
        if (Clock::now() >= end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
}

struct Task {
    fs::path page;
    std::string language;
};

SideResult RunDriver(World& world, const std::string& name, const std::vector<Task>& tasks) {
    const fs::path work = world.folder.Root() / ("driver-" + name);
    fs::remove_all(work);
    fs::create_directories(work);
    const fs::path cpu_file = work / "chromium.cpu";
    json job = {{"chromium", (world.meter_folder / "chromium").string()},
                {"switches", world.standin.EngineSwitches()},
                {"profile", (work / "profile").string()},
                {"pick_scripts",
                 {Utf16ToUtf8(kPickLanguageScript), Utf16ToUtf8(kPickLanguageInCurrentMenuScript)}},
                {"report", (work / "report.json").string()},
                {"tasks", json::array()}};
    for (std::size_t at = 0; at < tasks.size(); ++at) {
        job["tasks"].push_back(
            {{"page", tasks[at].page.string()},
             {"language", tasks[at].language},
             {"snippet", Utf16ToUtf8(WidgetSnippet(Utf8ToUtf16(tasks[at].language)))},
             {"result", (work / "out" / (std::to_string(at) + ".html")).string()}});
    }
    std::ofstream(work / "job.json") << job.dump();

    SideResult result;
    const auto started = Clock::now();
    {
        ScopedVariable cpu("QUILLMOOR_CHROMIUM_CPU_FILE", cpu_file.string());
        if (!RunDriverProcess(work / "job.json", work / "driver.log", std::chrono::seconds(600))) {
            result.error = "the driver did not end: " + ReadText(work / "driver.log");
        }
    }
    result.wall_seconds = Seconds(Clock::now() - started);
    result.chromium = ReadChromiumTime(cpu_file);
    if (!fs::exists(work / "report.json")) {
        result.error = "the driver wrote no report: " + ReadText(work / "driver.log");
        return result;
    }
    const json report = json::parse(ReadText(work / "report.json"));
    for (std::size_t at = 0; at < report.at("pages").size(); ++at) {
        const json& page = report["pages"][at];
        result.page_seconds += page.at("seconds").get<double>();
        if (page.at("outcome") == "translated") {
            ++result.done;
        } else {
            ++result.other_outcomes[page.at("outcome").get<std::string>()];
        }
        if (HoldsTranslatedLastText(work / "out" / (std::to_string(at) + ".html"),
                                    page.at("language").get<std::string>())) {
            ++result.whole;
        }
    }
    return result;
}

SideResult RunCommandLine(World& world, const std::string& name, const std::string& input,
                          const std::string& languages) {
    const fs::path work = world.folder.Root() / ("cli-" + name);
    fs::remove_all(work);
    fs::create_directories(work);
    const fs::path cpu_file = work / "chromium.cpu";
    const fs::path report_file = work / "report.json";
    std::vector<std::string> arguments = {"--force", "--progress", "lines",   "--parallel",
                                          "1",       "--layout",   "per-page"};
    for (const std::string& engine_switch : world.standin.EngineSwitches()) {
        arguments.push_back("--engine-switch=" + engine_switch);
    }
    arguments.insert(arguments.end(), {input, "--lang", languages, "--out", (work / "out").string(),
                                       "--report", report_file.string()});

    SideResult result;
    const auto started = Clock::now();
    {
        const char* path = std::getenv("PATH");
        ScopedVariable search("PATH", world.meter_folder.string() + ":" + (path ? path : ""));
        ScopedVariable cpu("QUILLMOOR_CHROMIUM_CPU_FILE", cpu_file.string());
        const CliRun run = RunCli(arguments, work / "cli.log", std::chrono::seconds(600));
        if (!run.exit_code) {
            result.error = "the command line did not end: " + run.output;
        }
    }
    result.wall_seconds = Seconds(Clock::now() - started);
    result.chromium = ReadChromiumTime(cpu_file);
    if (!fs::exists(report_file)) {
        result.error = "the command line wrote no report: " + ReadText(work / "cli.log");
        return result;
    }
    const json report = json::parse(ReadText(report_file));
    for (const json& page : report.at("pages")) {
        result.page_seconds += page.at("seconds").get<double>();
        if (page.at("outcome") == "stored") {
            ++result.done;
        } else {
            ++result.other_outcomes[page.at("outcome").get<std::string>()];
        }
        if (page.at("result").is_string() &&
            HoldsTranslatedLastText(page["result"].get<std::string>(),
                                    page.at("language").get<std::string>())) {
            ++result.whole;
        }
    }
    return result;
}

void Report(benchmark::State& state, const std::string& who, const SideResult& side,
            int page_languages) {
    const double count = static_cast<double>(page_languages);
    state.counters[who + "_s_per_pl"] = side.page_seconds / count;
    state.counters[who + "_chromium_cpu_s_per_pl"] = side.chromium.seconds / count;
    state.counters[who + "_chromium_runs"] = side.chromium.runs;
    state.counters[who + "_done"] = side.done;
    state.counters[who + "_whole"] = side.whole;
    state.counters[who + "_wall_s"] = side.wall_seconds;
}

// pages copies of the sample page in languages, at mode and pace.
void DriverAndCli(benchmark::State& state, const std::string& name, const char* mode,
                  WidgetPace pace, int pages, std::vector<std::string> languages) {
    World& world = TheWorld();
    world.standin.SetMode(mode, pace);
    // The command line takes the folder of the pages; one page is given as a file.
    const std::string input =
        pages == 1 ? (world.site / "page1" / "welcome.html").string() : world.site.string();
    std::vector<Task> tasks;
    for (int copy = 1; copy <= pages; ++copy) {
        for (const std::string& language : languages) {
            tasks.push_back(
                {world.site / ("page" + std::to_string(copy)) / "welcome.html", language});
        }
    }
    std::string language_list;
    for (const std::string& language : languages) {
        language_list += (language_list.empty() ? "" : ",") + language;
    }
    const int page_languages = static_cast<int>(tasks.size());
    for (auto _ : state) {
        const SideResult driver = RunDriver(world, name, tasks);
        const SideResult cli = RunCommandLine(world, name, input, language_list);
        state.SetIterationTime(driver.wall_seconds + cli.wall_seconds);
        if (!driver.error.empty() || !cli.error.empty()) {
            state.SkipWithError((driver.error + " " + cli.error).c_str());
            return;
        }
        Report(state, "driver", driver, page_languages);
        Report(state, "cli", cli, page_languages);
        std::string label;
        for (const auto& [who, side] : {std::pair{"driver", &driver}, std::pair{"cli", &cli}}) {
            for (const auto& [outcome, count] : side->other_outcomes) {
                label += std::string(label.empty() ? "" : ", ") + who + " " + outcome + " x" +
                         std::to_string(count);
            }
        }
        state.SetLabel(label);
        state.counters["page_languages"] = page_languages;
    }
    world.standin.SetMode(WidgetStandinServer::kFirstGeneration);
}

BENCHMARK_CAPTURE(DriverAndCli, standin, "standin", WidgetStandinServer::kFirstGeneration,
                  WidgetPace{}, 3, {"fr", "de"})
    ->Apply(bench::ManualTime<1, benchmark::kSecond>);
BENCHMARK_CAPTURE(DriverAndCli, current, "current", WidgetStandinServer::kCurrentGeneration,
                  WidgetPace{}, 3, {"fr", "de"})
    ->Apply(bench::ManualTime<1, benchmark::kSecond>);
BENCHMARK_CAPTURE(DriverAndCli, slow, "slow", WidgetStandinServer::kFirstGeneration,
                  WidgetStandinServer::kSlowPace, 1, {"fr"})
    ->Apply(bench::ManualTime<1, benchmark::kSecond>);

}  // namespace
}  // namespace quillmoor::test_support

BENCHMARK_MAIN();
