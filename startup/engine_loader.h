// Checks the engine's files, version and binaries, loads the engine library and looks up
// its entry points: everything of the engine start-up that comes before the engine runs.
#pragma once

#include <optional>
#include <string>

#include "startup/engine_entry_points.h"
#include "startup/engine_layout.h"
#include "startup/engine_messages.h"
#include "startup/startup_reporter.h"
#include "startup/tcef_aplication_status.h"

namespace quillmoor {

struct EngineLoadOutcome {
    // asLoaded, or the error status of the step that failed.
    TCefAplicationStatus status = TCefAplicationStatus::asLoading;
    // The text to show the user; empty when there is none.
    std::u16string message;
    // The missing engine files, each followed by CR LF.
    std::u16string missing_files;
    void* library = nullptr;
    EngineEntryPoints entry_points;
};

// Which process the engine is started in.
enum class ProcessRole { kBrowserProcess, kSubProcess };

class EngineLoader {
  public:
    // reporter receives a debugger line for every error raised inside a step.
    EngineLoader(const EngineLayout& layout, StartupReporter& reporter);

    // The checks run only for the browser process; a sub-process goes straight to the load.
    EngineLoadOutcome Load(ProcessRole role);

  private:
    // Each step returns false when it failed, after filling the outcome's status and text.
    bool CheckFiles(EngineLoadOutcome& outcome);
    bool CheckVersionRecord(EngineLoadOutcome& outcome);
    bool CheckBinaries(EngineLoadOutcome& outcome);
    bool LoadEngineLibrary(EngineLoadOutcome& outcome);
    bool CheckVersionInfo(EngineLoadOutcome& outcome);
    bool ResolveEntryPoints(EngineLoadOutcome& outcome);

    // The binary check's verdict on the library's header; an empty text accepts it.
    std::u16string JudgePeHeader();
    std::u16string JudgeElfHeader();

    void Fail(EngineLoadOutcome& outcome, TCefAplicationStatus status, std::u16string message);
    // Runs work; an error it raises becomes a debugger line naming step, and false.
    template <typename Work>
    bool RunStep(std::u16string_view step, const Work& work);

    const EngineLayout& layout_;
    StartupReporter& reporter_;
    EngineMessages messages_;
};

}  // namespace quillmoor
