#include "tests/browser/chromium_page_run_host.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "platform/utf.h"
#include "tests/browser/browser_test_support.h"

namespace quillmoor::browser_test {

std::string ChromiumOnPath() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        for (const char* name : {"chromium", "chromium-browser", "google-chrome"}) {
            const std::filesystem::path candidate = std::filesystem::path(folder) / name;
            if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) {
                return candidate.string();
            }
        }
    }
    return std::string();
}

void ChromiumPageRunHost::Reporter::ShowError(std::u16string_view text) {
    this->text += "error box: " + Utf16ToUtf8(text) + "\n";
}

void ChromiumPageRunHost::Reporter::WriteDebugLine(std::u16string_view line) {
    text += "debug: " + Utf16ToUtf8(line) + "\n";
}

ChromiumPageRunHost::ChromiumPageRunHost(const std::filesystem::path& engine_folder,
                                         const std::vector<std::string>& switches, RunClock* clock,
                                         std::chrono::seconds ready_limit)
    : clock_(clock) {
    EnsureQtApplication();
    std::filesystem::current_path(engine_folder);
    argument_texts_.push_back((engine_folder / "quillmoor").string());
    argument_texts_.insert(argument_texts_.end(), switches.begin(), switches.end());
    for (std::string& text : argument_texts_) {
        argv_.push_back(text.data());
    }
    argv_.push_back(nullptr);
    arguments_ =
        std::make_unique<ProcessArguments>(static_cast<int>(argument_texts_.size()), argv_.data());
    application_ =
        std::make_unique<TCefApplication>(*arguments_, EngineLayout::ForThisSystem(), reporter_);
    engine_started_ = application_->StartMainProcess();
    if (!engine_started_) {
        problems_ = "the engine did not start:\n" + reporter_.text;
        return;
    }
    hidden_ = std::make_unique<HiddenBrowser>(*application_, clock_);
    if (!PumpUntil([this] { return hidden_->IsReady(); }, ready_limit)) {
        problems_ = "the browser was not ready in time";
    }
}

ChromiumPageRunHost::~ChromiumPageRunHost() {
    hidden_.reset();
    if (engine_started_) {
        application_->EntryPoints().cef_shutdown();
    }
}

bool ChromiumPageRunHost::Ready() const {
    return hidden_ && hidden_->IsReady();
}

PageRun ChromiumPageRunHost::MakeRun(PageBrowser* browser) {
    return hidden_->MakeRun(view_, browser);
}

}  // namespace quillmoor::browser_test
