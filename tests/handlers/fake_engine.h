// An engine in the test's own process for the browser window: its C interface functions
// and objects record what the window asks of them, and the test plays the engine's side
// (created, load ends, markup, new-window questions, close) from a thread of its own, as
// the engine would from its UI thread.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/engine_object.h"
#include "engine/held_reference.h"
#include "startup/running_engine.h"

namespace quillmoor::browser_test {

class FakeEngine;

// What the window did with a frame.
struct ScriptRun {
    std::u16string code;
    std::u16string address;
    int start_line = -1;
};

class FakeFrame : public EngineObject<cef_frame_t> {
  public:
    FakeFrame();

    std::atomic<bool> valid{true};
    std::vector<std::u16string> Loads() const;
    std::vector<ScriptRun> Scripts() const;
    // The visitors given to get_source, oldest first (the fake keeps their references).
    std::vector<HeldReference<cef_string_visitor_t>> Visitors() const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::u16string> loads_;
    std::vector<ScriptRun> scripts_;
    std::vector<HeldReference<cef_string_visitor_t>> visitors_;
};

class FakeBrowser;

class FakeHost : public EngineObject<cef_browser_host_t> {
  public:
    explicit FakeHost(FakeBrowser* browser);

    std::atomic<int> move_notices{0};
    std::atomic<int> close_requests{0};

  private:
    FakeBrowser* browser_;  // the browser owns the host; the fake never lets it outlive it
};

class FakeBrowser : public EngineObject<cef_browser_t> {
  public:
    FakeBrowser(int identifier, bool popup);
    ~FakeBrowser() override;

    FakeFrame& Frame() { return *frame_; }
    FakeHost& Host() { return *host_; }
    int Identifier() const { return identifier_; }

  private:
    const int identifier_;
    const bool popup_;
    EngineObjectPtr<FakeFrame> frame_;
    EngineObjectPtr<FakeHost> host_;
};

// A request for a browser as the window made it.
struct BrowserRequest {
    cef_window_info_t window_info{};
    std::u16string url;
    HeldReference<cef_client_t> client;
    bool had_request_context = false;
};

class FakeEngine : public RunningEngine {
  public:
    FakeEngine();
    ~FakeEngine() override;

    // ---- What the window sees ----
    bool GlobalContextInitialized() const override { return context_ready.load(); }
    void SetOsmodalLoop(bool value) override;
    const EngineEntryPoints& EntryPoints() const override { return entry_points_; }

    // ---- The test's controls ----
    std::atomic<bool> context_ready{false};
    std::atomic<bool> accept_requests{true};

    // ---- What the window asked for ----
    std::vector<BrowserRequest>& Requests() { return requests_; }
    int CreateCalls() const { return create_calls_.load(); }
    std::vector<bool> OsmodalLoopCalls() const;

    // ---- The engine's side, each run on a thread of its own ----
    // Reports browser created to the client of request index.
    void ReportCreated(std::size_t request, FakeBrowser& browser);
    void ReportLoadEnd(std::size_t request, FakeBrowser& browser);
    // Asks whether the page may open a window with disposition; returns the answer.
    int AskBeforePopup(std::size_t request, FakeBrowser& browser,
                       cef_window_open_disposition_t disposition);
    // Asks whether the browser may close (the answer), then reports it gone.
    int ReportClosed(std::size_t request, FakeBrowser& browser);
    // Delivers text to a visitor that the window gave a frame.
    static void Deliver(const HeldReference<cef_string_visitor_t>& visitor,
                        const std::u16string& text);
    // Runs task on a new thread and waits for it.
    static void OnEngineThread(const std::function<void()>& task);

  private:
    static int CreateBrowser(const cef_window_info_t* window_info, cef_client_t* client,
                             const cef_string_t* url, const cef_browser_settings_t* settings,
                             cef_dictionary_value_t* extra_info,
                             cef_request_context_t* request_context);
    static cef_request_context_t* GlobalContext();

    EngineEntryPoints entry_points_;
    std::vector<BrowserRequest> requests_;  // the GUI thread's (the window calls on it)
    std::atomic<int> create_calls_{0};
    mutable std::mutex mutex_;
    std::vector<bool> osmodal_loop_calls_;
};

}  // namespace quillmoor::browser_test
