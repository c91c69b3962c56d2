// Throughput of the two text paths of a page run, against a plain write of as many bytes
// in the same run, and the peak memory of storing a large page.
//
//   read path:  ReadSourcePage + InjectWidget + WriteTempPage
//   store path: StripWidgetRemnants + WriteTextFile
//
// Each iteration of a path is followed by a plain write (open, write, close of a new file
// in the same folder) of exactly the bytes the path wrote; the counter ratio_to_plain_write
// is the path's best time over the plain write's best time, and load_1min the machine's
// load average when the run ended (other work on the machine only ever adds time).
// MirrorSite mirrors a site of 1,000 asset files (4 KiB each, in 20 folders of two levels,
// with 10 pages left out) into 20 language trees in an output folder inside the site:
// "fresh" into empty trees (hard links), "unchanged" a second time over them (nothing to
// do). The goal is under 2 s for the 20 trees. CleanSitePage times the clean-up of a
// translated page of MiB mebibytes whose head the browser moved into the body.
// pipeline_bench --store-peak-memory MIB runs one StoreResult of a MIB page in a fresh
// process and prints its peak memory; the StorePeakMemory benchmark reports it.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "pipeline/language_catalogue.h"
#include "pipeline/page_text.h"
#include "pipeline/result_cleanup.h"
#include "pipeline/result_store.h"
#include "pipeline/site_mirror.h"
#include "pipeline/site_page.h"
#include "pipeline/source_names.h"
#include "pipeline/widget_snippet.h"
#include "platform/utf.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace quillmoor {
namespace {

constexpr size_t kMiB = 1024 * 1024;
constexpr size_t kGerman = 30;

// A page of about bytes bytes: mostly ASCII markup, some two-byte characters, LF breaks.
std::string MakePage(size_t bytes) {
    const std::string head =
        "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>Bench</title>\n</head>\n"
        "<body>\n";
    const std::string paragraph =
        "<p class=\"text\">Lorem ipsum dolor sit amet, consectetur adipiscing elit, "
        "caf\xC3\xA9 cr\xC3\xA8me br\xC3\xBBl\xC3\xA9\x65, 12345.</p>\n";
    const std::string tail = "</body>\n</html>\n";
    std::string page;
    page.reserve(bytes + paragraph.size());
    page += head;
    while (page.size() + paragraph.size() + tail.size() <= bytes) {
        page += paragraph;
    }
    page += tail;
    return page;
}

// The markup that the browser would deliver for such a page: the snippet's scripts, the
// banner frame and the tooltip block in it.
std::u16string MakeMarkup(size_t bytes) {
    const std::u16string banner =
        u"<iframe id=\":2.container\" class=\"goog-te-banner-frame skiptranslate\" "
        u"style=\"visibility:visible\"></iframe>";
    const std::u16string tooltip =
        u"<div id=\"goog-gt-tt\" class=\"skiptranslate\" dir=\"ltr\"><div style=\"padding: 8px;\">"
        u"</div></div><iframe style=\"visibility: visible; box-sizing: content-box; width: 135px; "
        u"height: 69px; display: none;\"></iframe>";
    const std::string page = MakePage(bytes);
    std::u16string markup;
    markup.reserve(page.size() + 4096);
    markup += u"<html><head>" + WidgetSnippet(u"de") + u"</head><body>" + banner;
    AppendUtf8AsUtf16(page, markup);
    markup += tooltip + u"</body></html>";
    return markup;
}

class BenchFolder {
  public:
    BenchFolder()
        : root_(fs::temp_directory_path() / ("quillmoor-bench-" + std::to_string(getpid()))) {
        fs::create_directories(root_);
    }
    ~BenchFolder() { fs::remove_all(root_); }
    std::u16string Path(const char* name) const { return (root_ / name).u16string(); }

  private:
    fs::path root_;
};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Writes bytes to a new file at path with the system's calls alone; returns the seconds.
double PlainWrite(const std::string& path, const std::string& bytes) {
    fs::remove(path);
    const Clock::time_point start = Clock::now();
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        close(fd) != 0) {
        throw std::runtime_error("plain write failed");
    }
    return SecondsSince(start);
}

// Reports the path's throughput and its ratio to the plain write, both from the best
// iteration of each: the machine's other work only ever adds time.
void Report(benchmark::State& state, size_t bytes_per_iteration, double best_path_seconds,
            double best_plain_seconds) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes_per_iteration));
    state.counters["ratio_to_plain_write"] = best_path_seconds / best_plain_seconds;
    state.counters["plain_MBps"] =
        static_cast<double>(bytes_per_iteration) / best_plain_seconds / 1e6;
    state.counters["path_MBps"] =
        static_cast<double>(bytes_per_iteration) / best_path_seconds / 1e6;
    double load[1] = {};
    if (getloadavg(load, 1) == 1) {
        state.counters["load_1min"] = load[0];
    }
}

std::string FileContent(const std::u16string& path) {
    std::ifstream file(fs::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void ReadInjectWriteTemp(benchmark::State& state) {
    const BenchFolder folder;
    const std::u16string source = folder.Path("page.html");
    const std::string page = MakePage(static_cast<size_t>(state.range(0)) * kMiB);
    std::ofstream(fs::path(source), std::ios::binary) << page;
    const std::u16string temp_page = folder.Path("page-temp.html");
    const std::string plain_path = Utf16ToUtf8(folder.Path("plain.html"));
    double path_seconds = 1e9;
    double plain_seconds = 1e9;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        SourcePage page = ReadSourcePage(source);
        auto injected = InjectWidget(std::move(page.text), LanguageCodes()[kGerman]);
        const std::u16string written = WriteTempPage(temp_page, *injected, page.encoding);
        const double seconds = SecondsSince(start);
        state.SetIterationTime(seconds);
        path_seconds = std::min(path_seconds, seconds);
        state.PauseTiming();
        const std::string bytes = FileContent(written);
        fs::remove(fs::path(written));
        plain_seconds = std::min(plain_seconds, PlainWrite(plain_path, bytes));
        state.ResumeTiming();
    }
    Report(state, page.size(), path_seconds, plain_seconds);
}

// The second argument is 1 when every iteration replaces the result the one before wrote (a
// batch run again), 0 when the result is new (its first run). Replacing costs the file
// system more: ext4, for one, starts writing the new file out at once when it is renamed
// over an older one, so that a crash cannot leave an empty result, and frees the old one.
void StripAndWriteTextFile(benchmark::State& state) {
    const BenchFolder folder;
    const std::u16string markup = MakeMarkup(static_cast<size_t>(state.range(0)) * kMiB);
    const bool replacing = state.range(1) != 0;
    const std::u16string result = folder.Path("index.html");
    const std::string plain_path = Utf16ToUtf8(folder.Path("plain.html"));
    WriteTextFile(result, StripWidgetRemnants(markup));
    const std::string cleaned_bytes = FileContent(result);
    double path_seconds = 1e9;
    double plain_seconds = 1e9;
    for (auto _ : state) {
        state.PauseTiming();
        std::u16string captured = markup;  // the delivered markup exists before the store
        if (!replacing) {
            fs::remove(fs::path(result));
        }
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        WriteTextFile(result, StripWidgetRemnants(std::move(captured)));
        const double seconds = SecondsSince(start);
        state.SetIterationTime(seconds);
        path_seconds = std::min(path_seconds, seconds);
        state.PauseTiming();
        plain_seconds = std::min(plain_seconds, PlainWrite(plain_path, cleaned_bytes));
        state.ResumeTiming();
    }
    Report(state, cleaned_bytes.size(), path_seconds, plain_seconds);
}

// A line of /proc/self/status, in KiB.
long StatusKiB(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key + ":", 0) == 0) {
            return std::stol(line.substr(key.size() + 1));
        }
    }
    return -1;
}

// In a fresh process: store a page of mib MiB and print, in KiB, the resident memory
// before the markup existed, with it, and the peak while storing it.
int MeasureStorePeakMemory(size_t mib) {
    const BenchFolder folder;
    fs::create_directories(fs::path(folder.Path("site")));
    const SourceNames names(folder.Path("site") + u"/", u"index.html");
    const std::u16string root = ResultRootFor(folder.Path("program"));
    const long before = StatusKiB("VmRSS");
    std::u16string markup = MakeMarkup(mib * kMiB);
    const long with_markup = StatusKiB("VmRSS");
    // Start the peak afresh, so that making the markup does not count.
    std::ofstream("/proc/self/clear_refs") << "5";
    StoreResult(std::move(markup), names, kGerman, root);
    std::printf("%ld %ld %ld\n", before, with_markup, StatusKiB("VmHWM"));
    return 0;
}

void StorePeakMemory(benchmark::State& state) {
    const size_t mib = static_cast<size_t>(state.range(0));
    long before = 0;
    long with_markup = 0;
    long peak = 0;
    for (auto _ : state) {
        const std::string command = fs::read_symlink("/proc/self/exe").string() +
                                    " --store-peak-memory " + std::to_string(mib);
        FILE* child = popen(command.c_str(), "r");
        if (child == nullptr ||
            std::fscanf(child, "%ld %ld %ld", &before, &with_markup, &peak) != 3) {
            state.SkipWithError("the measuring process failed");
        }
        if (child != nullptr) {
            pclose(child);
        }
    }
    const double file_kib = static_cast<double>(mib) * 1024;
    state.counters["page_MiB"] = static_cast<double>(mib);
    state.counters["peak_MiB"] = static_cast<double>(peak - before) / 1024;
    state.counters["peak_over_page"] = static_cast<double>(peak - before) / file_kib;
    state.counters["store_extra_MiB"] = static_cast<double>(peak - with_markup) / 1024;
}

constexpr int kSiteFiles = 1000;
constexpr int kSiteTrees = 20;

// A site of kSiteFiles files of 4 KiB in 20 folders below 4, and 10 pages, at root.
void MakeSite(const fs::path& root) {
    const std::string bytes(4096, 'x');
    for (int i = 0; i < kSiteFiles; ++i) {
        const fs::path folder =
            root / ("assets" + std::to_string(i % 4)) / ("part" + std::to_string(i % 20));
        fs::create_directories(folder);
        std::ofstream(folder / ("file" + std::to_string(i) + ".css"), std::ios::binary) << bytes;
    }
    for (int i = 0; i < 10; ++i) {
        std::ofstream(root / ("page" + std::to_string(i) + ".html"))
            << "<html><body></body></html>";
    }
}

// Mirrors the site at root into its 20 trees below root/out; returns the seconds.
double MirrorIntoTrees(const fs::path& root, benchmark::State& state) {
    MirrorExclusions exclusions;
    exclusions.is_left_out = [](std::u16string_view path) { return path.ends_with(u".html"); };
    exclusions.folders.push_back((root / "out").u16string());
    const std::vector<std::u16string>& codes = LanguageCodes();
    const Clock::time_point start = Clock::now();
    std::size_t placed = 0;
    for (int tree = 0; tree < kSiteTrees; ++tree) {
        const MirrorReport report = MirrorSiteFiles(
            root.u16string(), (root / "out" / fs::path(codes[tree])).u16string(), exclusions);
        placed += report.linked + report.copied + report.left;
    }
    const double seconds = SecondsSince(start);
    if (placed != std::size_t{kSiteFiles} * kSiteTrees) {
        state.SkipWithError("not every file was mirrored");
    }
    return seconds;
}

void MirrorSite(benchmark::State& state) {
    const BenchFolder folder;
    const fs::path root(folder.Path("site"));
    MakeSite(root);
    const bool unchanged = state.range(0) == 1;
    if (unchanged) {
        MirrorIntoTrees(root, state);
    }
    double best = 1e9;
    for (auto _ : state) {
        if (!unchanged) {
            fs::remove_all(root / "out");
            fs::create_directories(root / "out");
        }
        const double seconds = MirrorIntoTrees(root, state);
        best = std::min(best, seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["best_s"] = best;
    state.counters["files"] = kSiteFiles * kSiteTrees;
    double load[1] = {0};
    if (getloadavg(load, 1) == 1) {
        state.counters["load_1min"] = load[0];
    }
}

void CleanTranslatedPage(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(state.range(0)) * kMiB;
    const std::u16string source = Utf8ToUtf16(MakePage(bytes));
    // The browser's serialisation: an empty head, the source's head at the top of the body.
    std::u16string captured =
        u"<!DOCTYPE html><html class=\"translated-ltr\"><head></head><body>"
        u"<div id=\"google_translate_element\"><div class=\"skiptranslate "
        u"goog-te-gadget\"></div></div>\n<meta charset=\"utf-8\">\n<title>Bench</title>\n\n";
    captured += source.substr(source.find(u"<body>\n") + 6);
    for (auto _ : state) {
        state.PauseTiming();
        std::u16string input = captured;  // the caller moves its markup in
        state.ResumeTiming();
        std::u16string page = CleanSitePage(std::move(input), source, u"de");
        benchmark::DoNotOptimize(page.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * captured.size() * 2));
}

BENCHMARK(MirrorSite)
    ->ArgName("unchanged")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CleanTranslatedPage)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadInjectWriteTemp)
    ->Arg(1)
    ->Arg(16)
    ->Arg(64)
    ->UseManualTime()
    ->MinTime(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(StripAndWriteTextFile)
    ->ArgNames({"MiB", "replacing"})
    ->ArgsProduct({{1, 16, 64}, {0, 1}})
    ->UseManualTime()
    ->MinTime(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(StorePeakMemory)->Arg(64)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillmoor

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--store-peak-memory") == 0) {
        return quillmoor::MeasureStorePeakMemory(std::stoul(argv[2]));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
