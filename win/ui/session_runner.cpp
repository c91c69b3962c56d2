#include "win/ui/session_runner.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "pipeline/language_catalogue.h"
#include "platform/file_system.h"
#include "platform/utf.h"
#include "win/ui/session_dialogs.h"
#include "win/ui/tform3.h"
#include "win/ui/window_picture.h"

namespace quillmoor::win {
namespace {

constexpr wchar_t kTimerWindowClass[] = L"QuillmoorSessionTimers";
constexpr UINT_PTR kStartTimer = 0;  // the steps begin
constexpr std::uint64_t kLongestScript = 1 << 20;

}  // namespace

SessionRunner::SessionRunner(std::vector<SessionStep> steps, TForm3& form, SessionDialogs& dialogs)
    : steps_(std::move(steps)), form_(form), dialogs_(dialogs) {
    static const ATOM atom = [] {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = &SessionRunner::WindowProc;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = kTimerWindowClass;
        return RegisterClassExW(&window_class);
    }();
    (void)atom;
    timers_ = CreateWindowExW(0, kTimerWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(timers_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

SessionRunner::~SessionRunner() {
    gui_thread_.Check();
    DestroyWindow(timers_);
}

void SessionRunner::Start() {
    gui_thread_.Check();
    SetTimer(timers_, kStartTimer, 0, nullptr);
}

LRESULT CALLBACK SessionRunner::WindowProc(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
    auto* runner = reinterpret_cast<SessionRunner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != WM_TIMER || runner == nullptr) {
        return DefWindowProcW(window, message, wparam, lparam);
    }
    runner->gui_thread_.Check();
    KillTimer(window, wparam);
    if (wparam == kStartTimer) {
        runner->RunSteps();
        return 0;
    }
    auto& due = runner->steps_due_;
    const auto at = std::find_if(due.begin(), due.end(),
                                 [&](const auto& entry) { return entry.first == wparam; });
    if (at != due.end()) {
        const SessionStep step = at->second;
        due.erase(at);
        runner->PerformDue(step);
    }
    return 0;
}

void SessionRunner::PerformDue(const SessionStep& step) {
    if (step.kind == SessionStep::Kind::kScreenshotAfter) {
        Screenshot(step.text);
        return;
    }
    const bool pause = step.text == u"pause";
    dialogs_.Note(pause ? u"press Pause" : u"press Cancel");
    SendMessageW(pause ? form_.btnPause : form_.btnCancel, BM_CLICK, 0, 0);
}

void SessionRunner::RunSteps() {
    for (const SessionStep& step : steps_) {
        Perform(step);
    }
    dialogs_.Note(u"session done");
}

void SessionRunner::Perform(const SessionStep& step) {
    using Kind = SessionStep::Kind;
    switch (step.kind) {
        case Kind::kLog:
            dialogs_.OpenLog(step.text);
            return;
        case Kind::kAnswer: {
            const std::u16string& word = step.text;
            dialogs_.QueueAnswer(word == u"ok"    ? Dialogs::Answer::kOk
                                 : word == u"yes" ? Dialogs::Answer::kYes
                                 : word == u"no"  ? Dialogs::Answer::kNo
                                                  : Dialogs::Answer::kCancel);
            return;
        }
        case Kind::kAdd:
            dialogs_.QueueChosenFile(step.text);
            form_.AddFile1Click();
            return;
        case Kind::kTick: {
            const auto& codes = LanguageCodes();
            const auto at = std::find(codes.begin(), codes.end(), step.text);
            const auto index = static_cast<std::size_t>(at - codes.begin());
            if (at == codes.end() || index >= form_.LanguageBoxes.size() ||
                form_.LanguageBoxes[index] == nullptr) {
                dialogs_.Note(u"tick: no box for " + step.text);
                return;
            }
            form_.SetLanguageTicked(index, true);
            return;
        }
        case Kind::kScreenshot:
            Screenshot(step.text);
            return;
        case Kind::kScreenshotAfter:
        case Kind::kPressAfter: {
            const UINT_PTR timer = next_timer_++;
            steps_due_.emplace_back(timer, step);
            SetTimer(timers_, timer, static_cast<UINT>(step.milliseconds), nullptr);
            return;
        }
        case Kind::kTranslate:
            dialogs_.Note(u"press Translate");
            SendMessageW(form_.btnTranslate, BM_CLICK, 0, 0);
            dialogs_.Note(u"Translate returned");
            return;
        case Kind::kClose:
            dialogs_.Note(u"close");
            SendMessageW(form_.Handle(), WM_CLOSE, 0, 0);
            return;
        case Kind::kExit:
            dialogs_.Note(u"exit");
            form_.Exit1Click();
            return;
    }
}

void SessionRunner::Screenshot(const std::u16string& path) {
    const bool saved = SaveWindowPicture(form_.Handle(), path);
    dialogs_.Note((saved ? u"screenshot " : u"screenshot failed ") + path);
}

std::optional<SessionScript> SessionFromEnvironment() {
    std::u16string path(32768, u'\0');
    const std::wstring name(std::begin(kSessionScriptVariable),
                            std::end(kSessionScriptVariable) - 1);
    const DWORD length = GetEnvironmentVariableW(
        name.c_str(), reinterpret_cast<wchar_t*>(path.data()), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) {
        return std::nullopt;
    }
    path.resize(length);
    std::string bytes;
    try {
        bytes = ReadFileBytes(path, kLongestScript);
    } catch (const std::exception&) {
        std::fprintf(stderr, "Quillmoor: the session script %s cannot be read.\n",
                     Utf16ToUtf8(path).c_str());
        return std::nullopt;
    }
    SessionScript script = ParseSessionScript(Utf8ToUtf16(bytes));
    if (!script.problem.empty()) {
        std::fprintf(stderr, "Quillmoor: session script %s, %s\n", Utf16ToUtf8(path).c_str(),
                     Utf16ToUtf8(script.problem).c_str());
        return std::nullopt;
    }
    return script;
}

}  // namespace quillmoor::win
