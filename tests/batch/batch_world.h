// A simulated main window and page run for the batch: the window's job buttons, flags,
// rows, ticks, progress lines and dialogs as the batch sees them, and a page run whose
// outcomes a test scripts. Everything runs on the test's thread, in simulated time.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pipeline/batch_driver.h"
#include "pipeline/batch_view.h"
#include "pipeline/folder_copy.h"
#include "pipeline/job_flags.h"
#include "pipeline/job_signals.h"
#include "pipeline/page_run.h"
#include "pipeline/page_translator.h"
#include "tests/pagerun/page_run_simulation.h"

namespace quillmoor::test_support {

// The main window: it records every change the batch makes, in order, as text lines
// ("lbl1 1/2 File(s)", "message Please Add File(s)", ...), and its job handlers behave as
// the window's: Pause and Cancel set the flags, closing presses Cancel while a batch runs,
// Exit only asks the program to end.
class FakeWindow final : public BatchView {
  public:
    FakeWindow();

    // ---- BatchView ----
    QUILLMOOR_BATCH_VIEW_OVERRIDES;

    // ---- The user, through the window's handlers ----
    // Translate: runs the batch when the button is enabled (as a click would).
    void PressTranslate();
    void PressPause();
    void PressCancel();
    // Closing the window: presses Cancel while a batch runs; the window closes once the
    // program's main loop has control again.
    void Close();
    // File, Exit: asks the program to end, which happens once the main loop has control.
    void Exit();
    void Tick(std::u16string_view code, bool ticked = true);
    void AddRow(std::u16string folder, std::u16string file) {
        rows.emplace_back(std::move(folder), std::move(file));
    }

    // The lines logged so far that start with prefix (the prefix and a blank cut off).
    std::vector<std::string> Lines(const std::string& prefix) const;

    std::vector<std::pair<std::u16string, std::u16string>> rows;  // folder text, file text
    std::vector<bool> ticks;
    std::u16string lbl1;
    std::u16string lbl2;
    InputsState inputs = InputsState::kEnabled;
    bool translate_enabled = true;
    bool pause_enabled = false;
    bool cancel_enabled = false;
    std::u16string pause_caption = u"Pause";
    OkCancel answer = OkCancel::kCancel;
    bool end_requested = false;
    bool close_requested = false;
    std::vector<std::string> log;
    // The ends of the presses of Translate made through PressTranslate, in order.
    std::vector<BatchEnd> press_ends;

    JobFlags flags;
    BatchDriver* driver = nullptr;

  private:
    void Log(std::string line) { log.push_back(std::move(line)); }
};

// One call of the scripted page run.
struct TranslateCall {
    std::u16string file;  // the source file name
    std::u16string code;  // the language code
    std::u16string source_path;
    std::u16string temp_page_path;
    std::u16string result_root;
    int counter = 0;  // the language counter as the call found it
    int total = 0;
};

// A page run that takes simulated time with poll steps like the real one and ends with the
// outcome that the test scripted for its file and language (stored by default). Pump and
// poll step are the real page run's.
class ScriptedTranslator final : public PageTranslator {
  public:
    ScriptedTranslator(Simulation& simulation, FakeWindow& window, JobSignals& signals);

    PageRunResult TranslatePage(std::size_t language_index, const SourceNames& names,
                                std::u16string_view result_root,
                                LanguageProgress& progress) override;
    void Pump() override { run_.Pump(); }
    PollEnd PollStep() override { return run_.PollStep(); }

    // The outcome for a file name and language code; stored when not given.
    std::map<std::pair<std::u16string, std::u16string>, PageOutcome> outcomes;
    // What storing passed over, by file name and language code.
    std::map<std::pair<std::u16string, std::u16string>, std::vector<PassedOverEntry>> passed_over;
    // Runs at the start of call number index (from 0), before the run's first poll step:
    // the user's action there is dispatched by that poll step's pump.
    std::map<std::size_t, std::function<void()>> during_call;
    // Runs at the end of call number index, after its last poll step: the user's action
    // there is dispatched by the batch's next pump.
    std::map<std::size_t, std::function<void()>> after_call;
    // Makes call number index throw this error after its poll steps.
    std::optional<std::pair<std::size_t, std::string>> error_at;
    // Poll steps of each call, and a stretch without any (the scroll schedule) before the
    // last of them, made of pumps and 500 ms sleeps.
    int poll_steps = 20;
    int pumps_without_poll = 30;

    std::vector<TranslateCall> calls;

  private:
    Simulation& simulation_;
    FakeWindow& window_;
    ScriptedBrowser unused_browser_;
    PageRun run_;
};

}  // namespace quillmoor::test_support
