#include "win/app/program.h"

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "pipeline/batch_driver.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/page_run.h"
#include "pipeline/page_run_translator.h"
#include "platform/floating_point.h"
#include "platform/ole_runtime.h"
#include "platform/process_arguments.h"
#include "platform/utf.h"
#include "startup/system_startup_reporter.h"
#include "startup/tcef_application.h"
#include "startup/tcef_process_type.h"
#include "win/host/hidden_browser.h"
#include "win/ui/session_dialogs.h"
#include "win/ui/session_runner.h"
#include "win/ui/system_dialogs.h"
#include "win/ui/tform3.h"
#include "win/ui/tform3_batch_view.h"
#include "win/ui/tfrm_about.h"

namespace quillmoor::win {

namespace {

// The text of an error that ended a batch, for the general error box.
std::u16string UncaughtErrorText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& thrown) {
        return Utf8ToUtf16(thrown.what());
    } catch (...) {
        return u"An unknown error ended the batch.";
    }
}

// Start-up failures in the program's dialogs: a message box titled "Error", or the session's
// log when a script drives the program; the debug lines go to the debugger as the system
// reporter sends them.
class DialogStartupReporter final : public StartupReporter {
  public:
    explicit DialogStartupReporter(Dialogs& dialogs) : dialogs_(dialogs) {}
    void ShowError(std::u16string_view text) override { dialogs_.ShowError(u"Error", text); }
    void WriteDebugLine(std::u16string_view line) override { system_.WriteDebugLine(line); }

  private:
    Dialogs& dialogs_;
    SystemStartupReporter system_;
};

// The windows, the batch and the message loop of the browser process.
void RunWindows(TCefApplication& application, Dialogs& dialogs, SystemDialogs& system_dialogs,
                SessionDialogs& session_dialogs, std::optional<SessionScript>& session) {
    // Created in this order, none shown yet; destroyed in the opposite order, the browser
    // window releasing its browser with it.
    HiddenBrowser hidden(application);
    TForm3 form(dialogs, hidden.Flags());
    system_dialogs.SetOwner(form.Handle());
    TfrmAbout about(dialogs);
    form.SetAboutHandler([&about] { about.ShowAbout(); });

    TForm3BatchView view(form, dialogs);
    PageRun run = hidden.MakeRun(view);
    PageRunTranslator translator(run);
    BatchDriver driver(view, translator, hidden.Clock(), hidden.Signals(), hidden.Flags());
    form.SetTranslateHandler([&driver, &dialogs] {
        try {
            driver.btnTranslateClick();
        } catch (...) {
            // The error must not unwind through the system's window procedures.
            dialogs.ShowError(u"Quillmoor", UncaughtErrorText(std::current_exception()));
        }
    });

    form.Show();
    std::unique_ptr<SessionRunner> runner;
    if (session) {
        runner = std::make_unique<SessionRunner>(std::move(session->steps), form, session_dialogs);
        runner->Start();
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

int RunProgram(int argc, char** argv) {
    MaskFloatingPointExceptions();
    InitializeOle();
    LanguageNames();  // the catalogue, built once

    const ProcessArguments arguments(argc, argv);
    // Only the browser process shows windows and follows a session script.
    const bool browser_process =
        ProcessTypeFromArguments(arguments.Arguments()) == TCefProcessType::ptBrowser;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES |
                                                       ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                                       ICC_LINK_CLASS};
    if (browser_process) {
        InitCommonControlsEx(&controls);
    }
    std::optional<SessionScript> session =
        browser_process ? SessionFromEnvironment() : std::nullopt;
    SystemDialogs system_dialogs;
    SessionDialogs session_dialogs;
    Dialogs& dialogs = session ? static_cast<Dialogs&>(session_dialogs) : system_dialogs;
    if (session) {
        // A failed start is logged where the script wants its boxes.
        for (const SessionStep& step : session->steps) {
            if (step.kind == SessionStep::Kind::kLog) {
                session_dialogs.OpenLog(step.text);
                break;
            }
        }
    }

    DialogStartupReporter reporter(dialogs);
    TCefApplication application(arguments, EngineLayout::ForThisSystem(), reporter);
    if (!application.StartMainProcess()) {
        // A sub-process whose engine work is done, or a failed start (already shown).
        return 0;
    }
    RunWindows(application, dialogs, system_dialogs, session_dialogs, session);
    // From the thread that initialised the engine.
    application.EntryPoints().cef_shutdown();
    return 0;
}

}  // namespace quillmoor::win
