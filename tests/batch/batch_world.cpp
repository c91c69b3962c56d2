#include "tests/batch/batch_world.h"

#include <algorithm>
#include <stdexcept>

#include "pipeline/language_catalogue.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor::test_support {

namespace {

std::string Text(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

}  // namespace

FakeWindow::FakeWindow() : ticks(LanguageCodes().size(), false) {}

int FakeWindow::FileCount() const {
    return static_cast<int>(rows.size());
}

std::size_t FakeWindow::LanguageBoxCount() const {
    return ticks.size();
}

bool FakeWindow::IsLanguageTicked(std::size_t index) const {
    return ticks.at(index);
}

void FakeWindow::EmptyTextBuffers() {
    Log("empty buffers");
}

std::u16string FakeWindow::FilePathText(int row) const {
    return rows.at(static_cast<std::size_t>(row)).first;
}

std::u16string FakeWindow::FileNameText(int row) const {
    return rows.at(static_cast<std::size_t>(row)).second;
}

int FakeWindow::CountCheckedLanguages() const {
    return static_cast<int>(std::count(ticks.begin(), ticks.end(), true));
}

void FakeWindow::ShowFileProgress(std::u16string_view text) {
    lbl1 = text;
    Log("lbl1 " + Text(text));
}

void FakeWindow::ShowLanguageProgress(std::u16string_view text) {
    lbl2 = text;
    Log("lbl2 " + Text(text));
}

void FakeWindow::ResetProgress() {
    lbl1 = u"0/0 File(s)";
    lbl2 = u"0/0 Language(s)";
    inputs = InputsState::kEnabled;
    Log("reset");
}

void FakeWindow::SetInputsEnabled(InputsState state) {
    inputs = state;
    Log(state == InputsState::kEnabled ? "inputs enabled" : "inputs disabled");
}

void FakeWindow::SetJobButtons(JobButtons state) {
    translate_enabled = state == JobButtons::kIdle;
    pause_enabled = cancel_enabled = state == JobButtons::kRunning;
    Log(state == JobButtons::kIdle ? "buttons idle" : "buttons running");
}

void FakeWindow::BringTabToFront(BatchTab tab) {
    Log(tab == BatchTab::kFiles ? "tab File" : "tab Language");
}

void FakeWindow::ShowMessage(std::u16string_view text) {
    Log("message " + Text(text));
}

OkCancel FakeWindow::AskOkCancel(std::u16string_view text) {
    Log("ask " + Text(text));
    return answer;
}

void FakeWindow::OpenFolder(const std::u16string& path) {
    Log("open " + Text(path));
}

void FakeWindow::PressTranslate() {
    Log("press Translate");
    if (translate_enabled) {
        press_ends.push_back(driver->btnTranslateClick());
    }
}

void FakeWindow::PressPause() {
    Log("press Pause");
    if (!pause_enabled) {
        return;
    }
    if (pause_caption == u"Pause") {
        pause_caption = u"Continue";
        flags.RequestPause();
    } else {
        pause_caption = u"Pause";
        flags.Resume();
    }
}

void FakeWindow::PressCancel() {
    Log("press Cancel");
    if (!cancel_enabled) {
        return;
    }
    flags.RequestCancel();
    translate_enabled = true;
    pause_enabled = cancel_enabled = false;
}

void FakeWindow::Close() {
    Log("close");
    if (cancel_enabled) {
        PressCancel();
    }
    close_requested = true;
}

void FakeWindow::Exit() {
    Log("exit");
    end_requested = true;
}

void FakeWindow::Tick(std::u16string_view code, bool ticked) {
    const auto& codes = LanguageCodes();
    const auto at = std::find(codes.begin(), codes.end(), code);
    if (at == codes.end()) {
        throw std::invalid_argument("no language " + Text(code));
    }
    ticks[static_cast<std::size_t>(at - codes.begin())] = ticked;
}

std::vector<std::string> FakeWindow::Lines(const std::string& prefix) const {
    std::vector<std::string> lines;
    for (const std::string& line : log) {
        if (line.rfind(prefix + " ", 0) == 0) {
            lines.push_back(line.substr(prefix.size() + 1));
        }
    }
    return lines;
}

ScriptedTranslator::ScriptedTranslator(Simulation& simulation, FakeWindow& window,
                                       JobSignals& signals)
    : simulation_(simulation),
      window_(window),
      unused_browser_(simulation, signals),
      run_(unused_browser_, simulation, simulation, window, signals, window.flags) {}

PageRunResult ScriptedTranslator::TranslatePage(std::size_t language_index,
                                                const SourceNames& names,
                                                std::u16string_view result_root,
                                                LanguageProgress& progress) {
    const std::size_t index = calls.size();
    const std::u16string& code = LanguageCodes().at(language_index);
    calls.push_back({names.SourceFileName(), code, names.SourcePath(), names.TempPagePath(),
                     std::u16string(result_root), progress.counter, progress.total});
    window_.log.push_back("translate " + Text(names.SourceFileName()) + " " + Text(code));

    ++progress.counter;
    window_.ShowLanguageProgress(LanguageProgressText(progress.counter, progress.total));
    simulation_.Sleep(kPollSleep);

    if (const auto action = during_call.find(index); action != during_call.end()) {
        simulation_.UserAt(simulation_.Now(), action->second);
    }
    const PageRunResult cancelled{PageOutcome::kCancelled, BrowserState::kKept, {}, {}, {}};
    for (int step = 0; step + 1 < poll_steps; ++step) {
        if (PollStep() == PollEnd::kCancelled) {
            return cancelled;
        }
    }
    for (int pump = 0; pump < pumps_without_poll; ++pump) {
        Pump();
        simulation_.Sleep(Ms(500));
    }
    if (PollStep() == PollEnd::kCancelled) {
        return cancelled;
    }
    if (const auto action = after_call.find(index); action != after_call.end()) {
        simulation_.UserAt(simulation_.Now(), action->second);
    }
    if (error_at && error_at->first == index) {
        throw FileSystemError(error_at->second);
    }
    const auto scripted = outcomes.find({names.SourceFileName(), code});
    const auto passed = passed_over.find({names.SourceFileName(), code});
    return {scripted == outcomes.end() ? PageOutcome::kStored : scripted->second,
            BrowserState::kKept,
            {},
            {},
            passed == passed_over.end() ? std::vector<PassedOverEntry>{} : passed->second};
}

}  // namespace quillmoor::test_support
