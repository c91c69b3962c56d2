// The program's page run on the real Chromium, as the window program assembles it: the
// engine started through TCefApplication from the Linux engine library, the hidden
// browser window on Qt, the system's monotonic clock and Qt's event processing. One per
// process (the engine starts once).
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "browser/hidden_browser.h"
#include "pipeline/page_run.h"
#include "platform/no_copy.h"
#include "startup/startup_reporter.h"
#include "startup/tcef_application.h"

namespace quillmoor::browser_test {

// The first of chromium, chromium-browser and google-chrome on PATH; empty without one.
std::string ChromiumOnPath();

class ChromiumPageRunHost {
  public:
    // Starts the engine from engine_folder (which holds libcef.so; it becomes the working
    // directory) with switches on the program's command line, opens the browser window
    // and waits until its browser is ready. Ready() tells whether all of it worked;
    // Problems() what went wrong. clock, when given, is the one the window's engine
    // handlers and the runs use (it must outlive the host).
    ChromiumPageRunHost(const std::filesystem::path& engine_folder,
                        const std::vector<std::string>& switches, RunClock* clock = nullptr,
                        std::chrono::seconds ready_limit = std::chrono::seconds(60));
    // Closes the window and shuts the engine down.
    ~ChromiumPageRunHost();
    QUILLMOOR_NO_COPY(ChromiumPageRunHost);

    bool Ready() const;
    const std::string& Problems() const { return problems_; }

    TfrmSimpleBrowser& Window() { return hidden_->Window(); }
    JobSignals& Signals() { return hidden_->Signals(); }
    JobFlags& Flags() { return hidden_->Flags(); }
    // The run over the window; browser replaces the window's adapter when given.
    PageRun MakeRun(PageBrowser* browser = nullptr);

  private:
    class Reporter final : public StartupReporter {
      public:
        void ShowError(std::u16string_view text) override;
        void WriteDebugLine(std::u16string_view line) override;
        std::string text;
    };
    class SilentProgressView final : public RunProgressView {
      public:
        void ShowLanguageProgress(std::u16string_view) override {}
        void EmptyTextBuffers() override {}
    };

    std::vector<std::string> argument_texts_;
    std::vector<char*> argv_;
    std::unique_ptr<ProcessArguments> arguments_;
    Reporter reporter_;
    std::unique_ptr<TCefApplication> application_;
    bool engine_started_ = false;
    RunClock* clock_;
    SilentProgressView view_;
    std::unique_ptr<HiddenBrowser> hidden_;
    std::string problems_;
};

}  // namespace quillmoor::browser_test
