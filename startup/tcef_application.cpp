#include "startup/tcef_application.h"

#include <exception>

#include "platform/ole_runtime.h"
#include "platform/utf.h"
#include "startup/engine_app_handler.h"
#include "startup/engine_loader.h"
#include "startup/engine_main_args.h"

namespace quillmoor {

TCefApplication::TCefApplication(const ProcessArguments& arguments)
    : TCefApplication(arguments, EngineLayout::ForThisSystem(), system_reporter_) {}

TCefApplication::TCefApplication(const ProcessArguments& arguments, EngineLayout layout,
                                 StartupReporter& reporter)
    : reporter_(reporter),
      layout_(std::move(layout)),
      process_type_(ProcessTypeFromArguments(arguments.Arguments())),
      main_args_(MakeEngineMainArgs(arguments)),
      global_context_initialized_(std::make_shared<std::atomic<bool>>(false)) {}

TCefApplication::~TCefApplication() = default;

bool TCefApplication::StartMainProcess() {
    owner_.Check();
    if (status_ != TCefAplicationStatus::asLoading) {
        return false;
    }
    const bool browser = process_type_ == TCefProcessType::ptBrowser;
    EngineLoadOutcome outcome =
        EngineLoader(layout_, reporter_)
            .Load(browser ? ProcessRole::kBrowserProcess : ProcessRole::kSubProcess);
    status_ = outcome.status;
    missing_lib_files_ = std::move(outcome.missing_files);
    if (status_ != TCefAplicationStatus::asLoaded) {
        ReportFailure(outcome.message);
        return false;
    }
    entry_points_ = outcome.entry_points;
    return browser ? RunBrowserProcess() : RunSubProcess();
}

bool TCefApplication::RunSubProcess() {
    // No top-level window of the program may exist while the engine runs a sub-process.
    if (DestroyAppWindows() && destroy_app_windows_) {
        destroy_app_windows_();
    }
    UninitializeOle();
    const auto app =
        EngineObjectPtr<EngineAppHandler>::Make(process_type_, global_context_initialized_);
    entry_points_.cef_execute_process(&main_args_, app->NewReference(), nullptr);
    return false;
}

bool TCefApplication::RunBrowserProcess() {
    try {
        const auto app =
            EngineObjectPtr<EngineAppHandler>::Make(process_type_, global_context_initialized_);
        if (entry_points_.cef_execute_process(&main_args_, app->NewReference(), nullptr) >= 0) {
            // The engine took this process as one of its own and has finished with it.
            return false;
        }
        settings_ = DefaultSettings();
        if (entry_points_.cef_initialize(&main_args_, &settings_, app->NewReference(), nullptr) ==
            0) {
            status_ = TCefAplicationStatus::asErrorInitializingLibrary;
            return false;
        }
    } catch (const std::exception& error) {
        reporter_.WriteDebugLine(u"InitializeLibrary error : " + Utf8ToUtf16(error.what()));
        status_ = TCefAplicationStatus::asErrorInitializingLibrary;
        return false;
    }
    status_ = TCefAplicationStatus::asInitialized;
    return true;
}

void TCefApplication::SetOsmodalLoop(bool value) {
    owner_.Check();
    if (status_ == TCefAplicationStatus::asInitialized) {
        entry_points_.cef_set_osmodal_loop(value ? 1 : 0);
    }
}

cef_settings_t TCefApplication::DefaultSettings() {
    // Every field the settings table names is written out, zeros included: zero is every
    // text setting's empty string (null text, length 0) and every flag's default.
    cef_settings_t settings{};
    settings.size = sizeof(cef_settings_t);
    settings.no_sandbox = 1;
    settings.multi_threaded_message_loop = 1;
    settings.external_message_pump = 0;
    settings.windowless_rendering_enabled = 0;
    settings.command_line_args_disabled = 0;
    settings.persist_session_cookies = 0;
    settings.persist_user_preferences = 0;
    settings.log_severity = LOGSEVERITY_DISABLE;
    settings.pack_loading_disabled = 0;
    settings.remote_debugging_port = 0;
    settings.uncaught_exception_stack_size = 0;
    settings.ignore_certificate_errors = 0;
    settings.background_color = 0;
    return settings;
}

void TCefApplication::ReportFailure(const std::u16string& message) {
    if (message.empty()) {
        return;
    }
    reporter_.WriteDebugLine(message);
    reporter_.ShowError(message);
}

}  // namespace quillmoor
