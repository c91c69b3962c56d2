// The engine as the program sees it through the C interface: initialised once with the
// program's application, it starts Chromium, creates browsers as page targets, decides
// about the windows pages ask for, and shuts Chromium down again.
//
// One engine runs per process (the C interface has no handle for it); every function of
// the interface reaches it through the static functions below.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bridge/browser.h"
#include "bridge/chromium_session.h"
#include "bridge/command_line.h"
#include "bridge/held_reference.h"
#include "engine/cef_capi.h"
#include "engine/engine_object.h"

namespace quillmoor::bridge {

class BridgeEngine {
  public:
    // ---- The C interface's process functions ----
    static int ExecuteProcess(const cef_main_args_t* args, cef_app_t* application);
    static int Initialize(const cef_main_args_t* args, const cef_settings_t* settings,
                          cef_app_t* application);
    static void Shutdown();
    static int CreateBrowser(const cef_window_info_t* window_info, cef_client_t* client,
                             const cef_string_t* url);
    static cef_browser_t* CreateBrowserSync(const cef_window_info_t* window_info,
                                            cef_client_t* client, const cef_string_t* url);
    static cef_command_line_t* GlobalCommandLine();
    // Entries 4..7 of the version information: the Chromium being driven, or else the one
    // that would be.
    static int ChromiumVersionPart(int part);

    BridgeEngine(std::shared_ptr<ChromiumSession> chromium, HeldReference<cef_app_t> application,
                 HeldReference<cef_browser_process_handler_t> handler);

  private:
    struct BrowserRequest {
        int identifier = 0;
        HeldReference<cef_client_t> client;
        int width = 0;
        int height = 0;
        std::string address;
        std::function<void(Browser*)> on_created;  // only for the waiting creation
    };
    struct AttachedPopup {
        EngineObjectPtr<Browser> opener;
        std::string target_id;
        std::string session;
        std::string opener_frame_id;
        std::string url;
    };

    // A request for a browser, taking over the reference that client came with.
    static BrowserRequest RequestFor(const cef_window_info_t* window_info, cef_client_t* client,
                                     const cef_string_t* url);

    // Engine thread.
    void Begin();
    void HandleBrowserEvent(const std::string& method, const nlohmann::json& params);
    void PageAttached(const nlohmann::json& params);
    void PageDetached(const std::string& session);
    void RequestBrowser(BrowserRequest request);
    void OpenBrowser(BrowserRequest request, const std::string& target_id,
                     const std::string& session);
    EngineObjectPtr<Browser> AddBrowser(Browser::Setup setup);
    void PopupAttached(AttachedPopup popup);
    void WindowRequested(Browser* opener);
    WindowAnswer WindowQuestionAsked(Browser* opener, const std::string& url);
    void DecidePopup(AttachedPopup popup, const WindowRequest& request);
    void CancelPopup(const std::string& target_id, const std::string& session);
    // The engine shuts down or lost Chromium: every browser becomes invalid, nobody is told.
    void End();
    // A target the engine has no use for: it runs on, unwatched.
    void Dismiss(const std::string& session);

    int StartBrowserRequest(BrowserRequest request);

    const std::shared_ptr<ChromiumSession> chromium_;
    HeldReference<cef_app_t> application_;
    HeldReference<cef_browser_process_handler_t> handler_;
    std::atomic<int> next_browser_identifier_{1};

    // Engine thread only.
    bool context_ready_ = false;
    std::map<std::string, EngineObjectPtr<Browser>> browsers_;  // by page session
    std::map<std::string, BrowserRequest> requested_;           // by target id, not yet attached
    std::map<std::string, std::string> unclaimed_;  // target id -> session, not yet requested
    std::deque<AttachedPopup> waiting_popups_;      // until their window request arrives
    std::map<std::string, std::string> cancelled_;  // session -> target id
};

}  // namespace quillmoor::bridge
