// The scripted engine as the program sees it through the engine's C interface: one process
// (the browser process; no sub-process is ever started), initialised once with the
// program's application, browsers that play pages from the disk without any Chromium, and
// a shutdown after which the engine may be initialised again (a test process starts it
// many times).
//
// One engine per process (the C interface has no handle for it): every exported function
// reaches it through Engine::Get().
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "engine/cef_capi.h"
#include "engine/engine_object.h"
#include "engine/held_reference.h"
#include "tests/win/scripted_engine/library/command_line.h"
#include "tests/win/scripted_engine/library/scripted_browser.h"
#include "tests/win/scripted_engine/library/scripted_frame.h"
#include "tests/win/scripted_engine/library/task_loop.h"
#include "tests/win/scripted_engine/library/widget_page.h"

namespace quillmoor::scripted_engine {

// The environment variable that chooses the widget the engine plays for every page loaded
// from then on: "classic" (the default), "current" or "untranslating" (see WidgetStyle).
inline constexpr char16_t kWidgetStyleVariable[] = u"QUILLMOOR_SCRIPTED_ENGINE_WIDGET";

class Engine {
  public:
    static Engine& Get();

    // ---- The C interface's process functions (any thread but the loop's) ----
    // -1: this is the browser process, the engine has nothing to run in it; 0 for a
    // process started as one of the engine's own (a "--type=" switch), which ends at once.
    int ExecuteProcess(cef_app_t* application);
    // 1 once initialised: the application's command-line callback has run on the caller's
    // thread, the loop runs (on a thread of its own with multi_threaded_message_loop, else
    // on the caller's pump) and the context notice is on its way to the browser-process
    // handler. 0 when already initialised.
    int Initialize(const cef_settings_t* settings, cef_app_t* application);
    // Ends the loop; every browser becomes invalid without a notice. On the loop's own
    // thread it is ignored.
    void Shutdown();
    // Asks for a browser: created on the loop thread, reported to the client's life-span
    // handler, then loads url. 0 when the engine does not run.
    int CreateBrowser(cef_client_t* client, const cef_string_t* url);
    // The same, returning the browser once created and reported (its first load follows).
    cef_browser_t* CreateBrowserSync(cef_client_t* client, const cef_string_t* url);
    // The process's command line, with the application's switches once initialised.
    cef_command_line_t* GlobalCommandLine();

    // ---- The pumped loop (no multi_threaded_message_loop), on the initialising thread ----
    void DoMessageLoopWork();
    void RunMessageLoop();
    void QuitMessageLoop();

    // ---- For the browsers ----
    TaskLoop& Loop() { return loop_; }
    cef_int64 NextFrameIdentifier() { return next_frame_.fetch_add(1); }
    // Loop thread: a new browser of client, reported created; it loads url next.
    EngineObjectPtr<Browser> OpenBrowser(HeldReference<cef_client_t> client, BrowserKind kind,
                                         const std::u16string& url);
    // Loop thread: the browser closed; the engine lets go of it.
    void Forget(Browser* browser);
    // The widget style of the environment (see kWidgetStyleVariable).
    static WidgetStyle StyleFromEnvironment();

  private:
    Engine() = default;
    EngineObjectPtr<CommandLine> ProcessCommandLine();

    std::mutex mutex_;  // guards initialized_, command_line_, application_, handler_
    bool initialized_ = false;
    EngineObjectPtr<CommandLine> command_line_;
    HeldReference<cef_app_t> application_;
    HeldReference<cef_browser_process_handler_t> handler_;
    TaskLoop loop_;
    std::vector<EngineObjectPtr<Browser>> browsers_;  // loop thread
    std::atomic<int> next_browser_{1};
    std::atomic<cef_int64> next_frame_{1};
};

}  // namespace quillmoor::scripted_engine
