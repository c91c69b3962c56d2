#include "app/gui/program.h"

#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/gui/batch_window_binding.h"
#include "app/gui/gui_startup_reporter.h"
#include "app/gui/program_application.h"
#include "app/gui/session_dialogs.h"
#include "app/gui/session_runner.h"
#include "app/gui/tform3_batch_view.h"
#include "browser/hidden_browser.h"
#include "pipeline/batch_driver.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/page_run.h"
#include "pipeline/page_run_translator.h"
#include "pipeline/session_script.h"
#include "platform/floating_point.h"
#include "platform/ole_runtime.h"
#include "platform/process_arguments.h"
#include "platform/standard_error.h"
#include "startup/tcef_application.h"
#include "ui/desktop_dialogs.h"
#include "ui/tform3.h"
#include "ui/tfrm_about.h"
#include "ui/window_font.h"
#include "ui/window_theme.h"

namespace quillmoor {

namespace {

// Whether the toolkit has somewhere to draw: always on Windows; elsewhere a display server
// or a platform chosen for Qt (offscreen, for instance).
bool DisplayAvailable() {
#ifdef _WIN32
    return true;
#else
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
#endif
}

// The scripted session named by the environment, if any. A script that cannot be read or
// is not sound is reported on standard error and left out.
std::optional<SessionScript> SessionFromEnvironment() {
    const QString path = qEnvironmentVariable(kSessionScriptVariable);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "Quillmoor: the session script %s cannot be read.\n",
                     path.toLocal8Bit().constData());
        return std::nullopt;
    }
    SessionScript script = ParseSessionScript(QString::fromUtf8(file.readAll()).toStdU16String());
    if (!script.problem.empty()) {
        std::fprintf(stderr, "Quillmoor: session script %s, %s\n", path.toLocal8Bit().constData(),
                     QString::fromStdU16String(script.problem).toLocal8Bit().constData());
        return std::nullopt;
    }
    return script;
}

// The windows, the batch and the main loop of the browser process.
void RunWindows(ProgramApplication& toolkit, TCefApplication& application, UserDialogs& dialogs,
                SessionDialogs* session_dialogs, std::optional<SessionScript>& session) {
    UseWindowFont();
    ApplyWindowTheme(toolkit, dialogs);

    // Created in this order, none shown yet; destroyed in the opposite order, the browser
    // window releasing its browser with it.
    HiddenBrowser hidden(application);
    TForm3 form(dialogs, hidden.Flags());
    TfrmAbout about(dialogs);
    QObject::connect(&form, &TForm3::aboutRequested, &about, &TfrmAbout::ShowAbout);

    TForm3BatchView view(form, dialogs);
    PageRun run = hidden.MakeRun(view);
    PageRunTranslator translator(run);
    BatchDriver driver(view, translator, hidden.Clock(), hidden.Signals(), hidden.Flags());
    BatchWindowBinding binding(form, driver);

    form.show();
    std::unique_ptr<SessionRunner> runner;
    if (session && session_dialogs != nullptr) {
        runner = std::make_unique<SessionRunner>(std::move(session->steps), form, *session_dialogs);
        runner->Start();
    }
    toolkit.exec();
}

}  // namespace

int RunProgram(int argc, char** argv) {
    MaskFloatingPointExceptions();
    InitializeOle();
    LanguageNames();  // the catalogue, built once

    const ProcessArguments arguments(argc, argv);
    // The engine's sub-processes keep no window: they get no toolkit either.
    const bool browser_process =
        ProcessTypeFromArguments(arguments.Arguments()) == TCefProcessType::ptBrowser;
    std::unique_ptr<ProgramApplication> toolkit;
    if (browser_process && DisplayAvailable()) {
        toolkit = std::make_unique<ProgramApplication>(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Quillmoor"));
        // The program ends when its main window closes (or on File, Exit), whatever other
        // window is open.
        QApplication::setQuitOnLastWindowClosed(false);
    }

    std::optional<SessionScript> session = toolkit ? SessionFromEnvironment() : std::nullopt;
    DesktopDialogs desktop_dialogs;
    SessionDialogs session_dialogs;
    UserDialogs& dialogs = session ? static_cast<UserDialogs&>(session_dialogs) : desktop_dialogs;
    if (toolkit) {
        toolkit->SetErrorBox([&dialogs](const QString& message) {
            dialogs.ShowError(QApplication::activeWindow(), QStringLiteral("Quillmoor"), message);
        });
    }

    GuiStartupReporter::ErrorBox error_box;
    if (toolkit) {
        error_box = [&dialogs](std::u16string_view text) {
            dialogs.ShowError(nullptr, QStringLiteral("Error"), QStringView(text).toString());
        };
    }
    GuiStartupReporter reporter(std::move(error_box));
    TCefApplication application(arguments, EngineLayout::ForThisSystem(), reporter);
    if (!application.StartMainProcess()) {
        // A sub-process whose engine work is done, or a failed start (already reported).
        return 0;
    }
    if (!toolkit) {
        WriteToStandardError("Error: ", u"Quillmoor needs a display to show its windows.");
    } else {
        RunWindows(*toolkit, application, dialogs, session ? &session_dialogs : nullptr, session);
    }
    // From the thread that initialised the engine: the engine library ends Chromium.
    application.EntryPoints().cef_shutdown();
    return 0;
}

}  // namespace quillmoor
