// The engine start-up checks before the engine runs: files, version, header, library load
// and entry points. Goal: at most 5 ms, so that checking never shows in the start.
#include <benchmark/benchmark.h>

#include "platform/executable_header.h"
#include "platform/file_bytes.h"
#include "platform/file_version.h"
#include "platform/working_directory.h"
#include "startup/engine_files_check.h"
#include "startup/engine_loader.h"
#include "tests/startup/capturing_reporter.h"
#include "tests/startup/engine_fixture.h"
#include "tests/startup/pe_image_builder.h"

namespace quillmoor {
namespace {

#ifdef QUILLMOOR_TEST_ENGINE_DIR
// Everything the browser process does before it hands over to the engine, against the
// test engine library: files, ELF header, load, build numbers, all entry points.
void BM_EngineChecksAndLoad(benchmark::State& state) {
    const test_support::WorkingDirectoryScope inside(QUILLMOOR_TEST_ENGINE_DIR);
    const EngineLayout layout = EngineLayout::ForThisSystem();
    test_support::CapturingReporter reporter;
    for (auto _ : state) {
        EngineLoadOutcome outcome =
            EngineLoader(layout, reporter).Load(ProcessRole::kBrowserProcess);
        if (outcome.status != TCefAplicationStatus::asLoaded) {
            state.SkipWithError("the test engine library did not load");
            break;
        }
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_EngineChecksAndLoad)->Unit(benchmark::kMicrosecond);
#endif

// The checks of the Windows engine distribution: 69 files, the library's version record
// and its PE header (read with the portable reader where the system has none).
void BM_WindowsEngineFileChecks(benchmark::State& state) {
    test_support::FixtureFolder folder;
    test_support::WriteWindowsEngineFiles(folder);
    folder.WriteFile("libcef.dll", test_support::BuildPeImage(test_support::PeImageShape{
                                       kPeMachineI386, FileVersion{78, 3, 9, 0}}) +
                                       std::string(1 << 20, '\0'));
    const test_support::WorkingDirectoryScope inside(folder.path());
    const EngineLayout layout = EngineLayout::Windows();
    for (auto _ : state) {
        const std::u16string missing = FindMissingEngineFiles(layout);
        const FileVersion version = ReadFileVersion(PathInCurrentDirectory(layout.library_name));
        const std::optional<uint16_t> machine =
            ReadPeMachine([&layout](uint64_t offset, size_t count) {
                return ReadFileBytesAt(layout.library_name, offset, count);
            });
        if (!missing.empty() || version != EngineLayout::kSupportedVersion ||
            machine != kPeMachineI386) {
            state.SkipWithError("the checks failed");
            break;
        }
    }
}
BENCHMARK(BM_WindowsEngineFileChecks)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillmoor

BENCHMARK_MAIN();
