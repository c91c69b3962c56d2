#include "tests/win/scripted_engine/library/scripted_engine.h"

#include <cstddef>
#include <cstdio>
#include <utility>

#include "engine/engine_string.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdlib>

#include "platform/utf.h"
#endif

namespace quillmoor::scripted_engine {
namespace {

// True when the settings record the caller passed is long enough to hold member.
template <typename Field>
bool Holds(const cef_settings_t* settings, Field cef_settings_t::*member) {
    if (settings == nullptr) {
        return false;
    }
    const auto* start = reinterpret_cast<const char*>(settings);
    const auto* end = reinterpret_cast<const char*>(&(settings->*member)) + sizeof(Field);
    return static_cast<std::size_t>(end - start) <= settings->size;
}

// The process's own command line as the system keeps it.
std::u16string ProcessCommandLineText() {
#if defined(_WIN32)
    return std::u16string(reinterpret_cast<const char16_t*>(GetCommandLineW()));
#else
    return std::u16string();
#endif
}

}  // namespace

Engine& Engine::Get() {
    static Engine* engine = new Engine;  // never destroyed: it outlives every caller
    return *engine;
}

WidgetStyle Engine::StyleFromEnvironment() {
#if defined(_WIN32)
    wchar_t value[64] = {};
    const DWORD length =
        GetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(kWidgetStyleVariable), value, 64);
    if (length == 0 || length >= 64) {
        return WidgetStyle::kClassic;
    }
    return WidgetStyleNamed(std::u16string_view(reinterpret_cast<const char16_t*>(value), length));
#else
    const char* value = std::getenv("QUILLMOOR_SCRIPTED_ENGINE_WIDGET");
    return WidgetStyleNamed(value != nullptr ? Utf8ToUtf16(value) : std::u16string());
#endif
}

EngineObjectPtr<CommandLine> Engine::ProcessCommandLine() {
    auto line = EngineObjectPtr<CommandLine>::Make();
    line->InitFromString(ProcessCommandLineText());
    return line;
}

int Engine::ExecuteProcess(cef_app_t* application) {
    ReleaseEngineReference(application);
    // A process of the engine's own would carry its kind; the scripted engine starts none,
    // so one that does has nothing to run and ends.
    const auto line = ProcessCommandLine();
    return line->HasSwitch(u"type") ? 0 : -1;
}

int Engine::Initialize(const cef_settings_t* settings, cef_app_t* application) {
    auto app = HeldReference<cef_app_t>::Adopt(application);
    {
        std::lock_guard lock(mutex_);
        if (initialized_) {
            std::fprintf(stderr, "quillmoor scripted engine: the engine is already initialised.\n");
            return 0;
        }
    }
    const bool own_thread = Holds(settings, &cef_settings_t::multi_threaded_message_loop) &&
                            settings->multi_threaded_message_loop != 0;

    // The application adds its switches to the browser process's command line, whose
    // process type is empty.
    EngineObjectPtr<CommandLine> line = ProcessCommandLine();
    if (app && app->on_before_command_line_processing != nullptr) {
        const cef_string_t browser_process{};
        app->on_before_command_line_processing(app.get(), &browser_process, line->NewReference());
    }
    line->MakeReadOnly();
    HeldReference<cef_browser_process_handler_t> handler;
    if (app && app->get_browser_process_handler != nullptr) {
        handler = HeldReference<cef_browser_process_handler_t>::Adopt(
            app->get_browser_process_handler(app.get()));
    }
    {
        std::lock_guard lock(mutex_);
        initialized_ = true;
        command_line_ = line;
        application_ = std::move(app);
        handler_ = handler;
    }
    loop_.Start(own_thread ? TaskLoop::Mode::kOwnThread : TaskLoop::Mode::kCallersPump);
    // The global context is ready as soon as the loop runs.
    loop_.Post([handler] {
        if (handler && handler->on_context_initialized != nullptr) {
            handler->on_context_initialized(handler.get());
        }
    });
    return 1;
}

void Engine::Shutdown() {
    {
        std::lock_guard lock(mutex_);
        if (!initialized_) {
            return;
        }
    }
    if (loop_.CurrentMode() == TaskLoop::Mode::kOwnThread && loop_.IsLoopThread()) {
        std::fprintf(stderr,
                     "quillmoor scripted engine: cef_shutdown was called on the engine's own "
                     "thread; ignored.\n");
        return;
    }
    loop_.Stop([this] {
        loop_.Owner().Check();
        std::vector<EngineObjectPtr<Browser>> browsers;
        browsers.swap(browsers_);
        for (const EngineObjectPtr<Browser>& browser : browsers) {
            browser->Invalidate();
        }
    });
    HeldReference<cef_app_t> application;
    HeldReference<cef_browser_process_handler_t> handler;
    EngineObjectPtr<CommandLine> line;
    {
        std::lock_guard lock(mutex_);
        initialized_ = false;
        application = std::move(application_);
        handler = std::move(handler_);
        line = std::move(command_line_);
    }
}

int Engine::CreateBrowser(cef_client_t* client, const cef_string_t* url) {
    auto held = HeldReference<cef_client_t>::Adopt(client);
    if (!loop_.Running()) {
        return 0;
    }
    const std::u16string address = FromEngineString(url);
    loop_.Post([this, held, address] { OpenBrowser(held, BrowserKind::kRequested, address); });
    return 1;
}

cef_browser_t* Engine::CreateBrowserSync(cef_client_t* client, const cef_string_t* url) {
    auto held = HeldReference<cef_client_t>::Adopt(client);
    const std::u16string address = FromEngineString(url);
    EngineObjectPtr<Browser> created;
    if (!loop_.RunAndWait([&] { created = OpenBrowser(held, BrowserKind::kRequested, address); })) {
        return nullptr;
    }
    return created ? created->NewReference() : nullptr;
}

EngineObjectPtr<Browser> Engine::OpenBrowser(HeldReference<cef_client_t> client, BrowserKind kind,
                                             const std::u16string& url) {
    loop_.Owner().Check();
    auto browser =
        EngineObjectPtr<Browser>::Make(next_browser_.fetch_add(1), kind, std::move(client));
    browsers_.push_back(browser);
    browser->Created();
    loop_.Post([browser, url] { browser->Load(url); });
    return browser;
}

void Engine::Forget(Browser* browser) {
    loop_.Owner().Check();
    for (auto it = browsers_.begin(); it != browsers_.end(); ++it) {
        if (it->get() == browser) {
            browsers_.erase(it);
            return;
        }
    }
}

cef_command_line_t* Engine::GlobalCommandLine() {
    {
        std::lock_guard lock(mutex_);
        if (command_line_) {
            return command_line_->NewReference();
        }
    }
    EngineObjectPtr<CommandLine> line = ProcessCommandLine();
    line->MakeReadOnly();
    return line->NewReference();
}

void Engine::DoMessageLoopWork() {
    if (loop_.CurrentMode() == TaskLoop::Mode::kCallersPump && loop_.IsLoopThread()) {
        loop_.RunWaiting();
    }
}

void Engine::RunMessageLoop() {
    if (loop_.CurrentMode() == TaskLoop::Mode::kCallersPump && loop_.IsLoopThread()) {
        loop_.RunUntilQuit();
    }
}

void Engine::QuitMessageLoop() {
    loop_.Quit();
}

}  // namespace quillmoor::scripted_engine
