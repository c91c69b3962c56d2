// The engine application object: one per process. Finds out which kind of process this is,
// checks and loads the engine, and either hands a sub-process to the engine or initialises
// the engine in the browser process.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/no_copy.h"
#include "platform/process_arguments.h"
#include "platform/thread_owner.h"
#include "startup/engine_entry_points.h"
#include "startup/engine_layout.h"
#include "startup/running_engine.h"
#include "startup/startup_reporter.h"
#include "startup/system_startup_reporter.h"
#include "startup/tcef_aplication_status.h"
#include "startup/tcef_process_type.h"

namespace quillmoor {

// Created, started and asked on the program's main thread, which owns it; only
// GlobalContextInitialized may be asked from any thread.
class TCefApplication final : public RunningEngine {
  public:
    // The engine of this system, failures reported through the system.
    explicit TCefApplication(const ProcessArguments& arguments);
    // A given engine layout and reporter (the reporter must outlive the object).
    TCefApplication(const ProcessArguments& arguments, EngineLayout layout,
                    StartupReporter& reporter);
    ~TCefApplication() override;
    QUILLMOOR_NO_COPY(TCefApplication);

    // Runs the start-up once. True only in the browser process once the engine is
    // initialised; false in a sub-process after the engine's work in it has ended, after
    // every failure, and on every call but the first.
    bool StartMainProcess();

    TCefAplicationStatus Status() const { return status_; }
    TCefProcessType ProcessType() const { return process_type_; }
    // The engine files found missing, each followed by CR LF.
    const std::u16string& MissingLibFiles() const { return missing_lib_files_; }
    // True once the engine has reported its global context initialised (set on the
    // engine's UI thread; read from any thread).
    bool GlobalContextInitialized() const override {
        return global_context_initialized_->load(std::memory_order_acquire);
    }
    // Tells the engine that a modal (menu) loop starts or ends; only once it is initialised.
    void SetOsmodalLoop(bool value) override;

    // The sub-process path keeps the toolkit's application object and destroys its
    // hidden top-level windows through the destroyer given here. Without one, as long as
    // the program has no toolkit windows, nothing is destroyed.
    bool DestroyApplicationObject() const { return false; }
    bool DestroyAppWindows() const { return true; }
    void SetAppWindowsDestroyer(std::function<void()> destroyer) {
        destroy_app_windows_ = std::move(destroyer);
    }

    // The settings record given to cef_initialize (filled just before the call).
    const cef_settings_t& Settings() const { return settings_; }
    // The engine's functions; valid from status asLoaded on.
    const EngineEntryPoints& EntryPoints() const override { return entry_points_; }

    // The settings record the engine is initialised with.
    static cef_settings_t DefaultSettings();

  private:
    bool RunSubProcess();
    bool RunBrowserProcess();
    void ReportFailure(const std::u16string& message);

    SystemStartupReporter system_reporter_;
    StartupReporter& reporter_;
    EngineLayout layout_;
    TCefProcessType process_type_;
    cef_main_args_t main_args_;
    TCefAplicationStatus status_ = TCefAplicationStatus::asLoading;
    std::u16string missing_lib_files_;
    std::shared_ptr<std::atomic<bool>> global_context_initialized_;
    std::function<void()> destroy_app_windows_;
    cef_settings_t settings_{};
    EngineEntryPoints entry_points_;
    ThreadOwner owner_;
};

}  // namespace quillmoor
