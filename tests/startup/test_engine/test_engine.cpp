// A stand-in for the engine library: exports the engine's functions, records how the
// program calls them, and answers as the test's script says.
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "engine/engine_object.h"
#include "engine/engine_string.h"
#include "tests/startup/test_engine/test_engine_control.h"

namespace quillmoor::test_engine {
namespace {

// The command line handed to the program's command-line callback: records its changes.
class RecordingCommandLine : public EngineObject<cef_command_line_t> {
  public:
    explicit RecordingCommandLine(std::vector<std::u16string>* switches) : switches_(switches) {
        Table().append_switch = &AppendSwitch;
        Table().append_switch_with_value = &AppendSwitchWithValue;
    }

  private:
    static void CEF_CALLBACK AppendSwitch(cef_command_line_t* self, const cef_string_t* name) {
        Self<RecordingCommandLine>(self)->switches_->push_back(FromEngineString(name));
    }
    static void CEF_CALLBACK AppendSwitchWithValue(cef_command_line_t* self,
                                                   const cef_string_t* name,
                                                   const cef_string_t* value) {
        Self<RecordingCommandLine>(self)->switches_->push_back(FromEngineString(name) + u"=" +
                                                               FromEngineString(value));
    }

    std::vector<std::u16string>* switches_;
};

class TestEngine : public Control {
  public:
    // A program run against this library (not a test) takes its script from the
    // environment: QUILLMOOR_TEST_ENGINE_EXECUTE_PROCESS_RESULT sets what
    // cef_execute_process returns; the context notice is sent at once.
    TestEngine() {
        if (const char* result = std::getenv("QUILLMOOR_TEST_ENGINE_EXECUTE_PROCESS_RESULT")) {
            script_.execute_process_result = std::atoi(result);
        }
        notice_allowed_ = true;
    }

    ~TestEngine() { Reset(Script()); }

    void Reset(const Script& script) override {
        SendContextNotice();
        std::lock_guard lock(mutex_);
        for (cef_app_t* app : held_apps_) {
            ReleaseEngineReference(app);
        }
        held_apps_.clear();
        script_ = script;
        record_ = Record();
    }

    Record Recorded() override {
        std::lock_guard lock(mutex_);
        return record_;
    }

    void SendContextNotice() override {
        {
            std::lock_guard lock(mutex_);
            notice_allowed_ = true;
        }
        notice_allowed_changed_.notify_all();
        if (notice_thread_.joinable()) {
            notice_thread_.join();
        }
        std::lock_guard lock(mutex_);
        notice_allowed_ = false;
    }

    int ExecuteProcess(const cef_main_args_t* args, cef_app_t* app, void* sandbox_info) {
        Note("cef_execute_process", args, app, sandbox_info);
        if (script_.execute_process_result >= 0 && app != nullptr) {
            RunCommandLineCallback(app, script_.sub_process_type, false);
        }
        return script_.execute_process_result;
    }

    int Initialize(const cef_main_args_t* args, const cef_settings_t* settings, cef_app_t* app,
                   void* sandbox_info) {
        Note("cef_initialize", args, app, sandbox_info);
        {
            std::lock_guard lock(mutex_);
            if (settings != nullptr) {
                record_.settings_given = true;
                record_.settings = *settings;
            }
        }
        if (app == nullptr) {
            return 0;
        }
        RunCommandLineCallback(app, script_.initialize_process_type,
                               script_.initialize_passes_null_process_type);
        cef_browser_process_handler_t* handler = app->get_browser_process_handler(app);
        {
            std::lock_guard lock(mutex_);
            record_.browser_process_handler_given = handler != nullptr;
        }
        if (handler == nullptr) {
            return script_.initialize_result;
        }
        if (script_.initialize_result != 0 && script_.notify_context_initialized &&
            !notice_thread_.joinable()) {
            const std::thread::id caller = std::this_thread::get_id();
            notice_thread_ = std::thread([this, handler, caller] {
                std::unique_lock lock(mutex_);
                notice_allowed_changed_.wait(lock, [this] { return notice_allowed_; });
                record_.notice_sent_from_other_thread = std::this_thread::get_id() != caller;
                lock.unlock();
                handler->on_context_initialized(handler);
                ReleaseEngineReference(handler);
            });
        } else {
            ReleaseEngineReference(handler);
        }
        return script_.initialize_result;
    }

    void Call(std::string call) {
        std::lock_guard lock(mutex_);
        record_.calls.push_back(std::move(call));
    }

    int VersionInfo(int entry) {
        std::lock_guard lock(mutex_);
        return entry >= 0 && entry < 3 ? script_.version[entry] : 0;
    }

  private:
    void Note(const char* call, const cef_main_args_t* args, cef_app_t* app, void* sandbox_info) {
        std::lock_guard lock(mutex_);
        record_.calls.push_back(call);
        record_.apps_given += app != nullptr ? 1 : 0;
        record_.sandbox_info_given = record_.sandbox_info_given || sandbox_info != nullptr;
#if !defined(_WIN32)
        record_.main_args_argc = args != nullptr ? args->argc : -1;
#else
        record_.main_args_argc = args != nullptr && args->instance != nullptr ? 1 : -1;
#endif
        if (app != nullptr) {
            held_apps_.push_back(app);  // the reference that came with the call
        }
    }

    void RunCommandLineCallback(cef_app_t* app, const std::u16string& process_type,
                                bool null_type) {
        std::vector<std::u16string> switches;
        auto command_line = EngineObjectPtr<RecordingCommandLine>::Make(&switches);
        const cef_string_t type = EngineStringView(process_type);
        app->on_before_command_line_processing(app, null_type ? nullptr : &type,
                                               command_line->NewReference());
        std::lock_guard lock(mutex_);
        record_.switches.insert(record_.switches.end(), switches.begin(), switches.end());
    }

    std::mutex mutex_;
    std::condition_variable notice_allowed_changed_;
    bool notice_allowed_ = false;
    std::thread notice_thread_;
    Script script_;
    Record record_;
    std::vector<cef_app_t*> held_apps_;
};

TestEngine& Engine() {
    static TestEngine engine;
    return engine;
}

}  // namespace
}  // namespace quillmoor::test_engine

using quillmoor::test_engine::Engine;

extern "C" {

quillmoor::test_engine::Control* quillmoor_test_engine_control() {
    return &Engine();
}

int cef_execute_process(const cef_main_args_t* args, cef_app_t* application,
                        void* windows_sandbox_info) {
    return Engine().ExecuteProcess(args, application, windows_sandbox_info);
}

int cef_initialize(const cef_main_args_t* args, const cef_settings_t* settings,
                   cef_app_t* application, void* windows_sandbox_info) {
    return Engine().Initialize(args, settings, application, windows_sandbox_info);
}

void cef_shutdown(void) {
    Engine().Call("cef_shutdown");
}

void cef_set_osmodal_loop(int os_modal_loop) {
    Engine().Call("cef_set_osmodal_loop(" + std::to_string(os_modal_loop) + ")");
}

void cef_enable_highdpi_support(void) {
    Engine().Call("cef_enable_highdpi_support");
}

int cef_browser_host_create_browser(const cef_window_info_t*, cef_client_t*, const cef_string_t*,
                                    const cef_browser_settings_t*, cef_dictionary_value_t*,
                                    cef_request_context_t*) {
    return 0;
}

#ifndef TEST_ENGINE_WITHOUT_CREATE_BROWSER_SYNC
cef_browser_t* cef_browser_host_create_browser_sync(const cef_window_info_t*, cef_client_t*,
                                                    const cef_string_t*,
                                                    const cef_browser_settings_t*,
                                                    cef_dictionary_value_t*,
                                                    cef_request_context_t*) {
    return nullptr;
}
#endif

cef_request_context_t* cef_request_context_get_global_context(void) {
    return nullptr;
}

int cef_string_utf16_set(const char16*, size_t, cef_string_utf16_t*, int) {
    return 0;
}
void cef_string_utf16_clear(cef_string_utf16_t*) {}
cef_string_userfree_utf16_t cef_string_userfree_utf16_alloc(void) {
    return nullptr;
}
void cef_string_userfree_utf16_free(cef_string_userfree_utf16_t) {}
int cef_string_utf8_to_utf16(const char*, size_t, cef_string_utf16_t*) {
    return 0;
}
int cef_string_utf16_to_utf8(const char16*, size_t, cef_string_utf8_t*) {
    return 0;
}

cef_string_list_t cef_string_list_alloc(void) {
    return nullptr;
}
size_t cef_string_list_size(cef_string_list_t) {
    return 0;
}
int cef_string_list_value(cef_string_list_t, size_t, cef_string_t*) {
    return 0;
}
void cef_string_list_append(cef_string_list_t, const cef_string_t*) {}
void cef_string_list_clear(cef_string_list_t) {}
void cef_string_list_free(cef_string_list_t) {}
cef_string_list_t cef_string_list_copy(cef_string_list_t) {
    return nullptr;
}

cef_command_line_t* cef_command_line_create(void) {
    return nullptr;
}
cef_command_line_t* cef_command_line_get_global(void) {
    return nullptr;
}

int cef_version_info(int entry) {
    return Engine().VersionInfo(entry);
}

const char* cef_api_hash(int) {
    return "";
}

}  // extern "C"
