// A browser of the engine (cef_browser_t): one Chromium page target with the DevTools
// sessions of its out-of-process iframes, its frames, and the client whose handlers hear
// about it. Chromium's events arrive on the engine thread, which is also where every
// handler of the client is called.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bridge/chromium_session.h"
#include "bridge/frame.h"
#include "bridge/held_reference.h"
#include "bridge/window_question.h"
#include "bridge/window_request.h"
#include "engine/cef_capi.h"
#include "engine/engine_object.h"

namespace quillmoor::bridge {

class Browser : public EngineObject<cef_browser_t> {
  public:
    struct Setup {
        int identifier = 0;
        bool popup = false;
        HeldReference<cef_client_t> client;
        int width = 0;  // the view's size; 0: Chromium's default
        int height = 0;
        std::string target_id;
        std::string session;  // the page target's DevTools session
        std::shared_ptr<ChromiumSession> chromium;
        std::function<void()> on_window_request;  // engine thread: the page asked for a window
        // Engine thread: the page's window.open waits to hear whether the window it opened
        // at url may stay.
        std::function<WindowAnswer(const std::string& url)> on_window_question;
    };

    explicit Browser(Setup setup);

    // ---- Engine thread ----
    // Sets the page up (frame and load events, iframe sessions, view size), lets it run,
    // tells the client's life-span handler that the browser exists, then loads
    // first_address. Empty: the page goes on with the navigation it was created for.
    void Open(std::string first_address);
    bool OwnsTarget(const std::string& target_id) const;
    // The oldest recent request of the page for a new window, if any.
    std::optional<WindowRequest> TakeWindowRequest();
    // What was decided about a window that the page's window.open opened at url, for the
    // page's question about it (see WindowQuestion).
    void RecordWindowDecision(const std::string& url, WindowAnswer answer);
    WindowAnswer TakeWindowDecision(const std::string& url);
    // Asks the client whether it may close, then closes the page target.
    void Close();
    // The page target has gone: the client hears that the browser closes, and the browser
    // and its frames become invalid.
    void TargetGone();
    // Everything becomes invalid and nobody is told: the engine shuts down or lost Chromium
    // (TargetGone tells the client first).
    void Invalidate();

    // ---- Any thread ----
    bool IsValid() const;
    int Identifier() const { return identifier_; }
    bool IsPopup() const { return popup_; }
    bool IsLoading() const { return loading_.load(); }
    const std::string& TargetId() const { return target_id_; }
    const std::string& PageSession() const { return page_session_; }
    ChromiumSession& Chromium() const { return *chromium_; }
    HeldReference<cef_client_t> Client() const;
    EngineObjectPtr<Frame> MainFrame() const;
    EngineObjectPtr<Frame> FrameByDevToolsId(const std::string& devtools_id) const;
    EngineObjectPtr<Frame> FrameByIdentifier(long long identifier) const;
    EngineObjectPtr<Frame> FrameByName(const std::string& name) const;
    std::vector<EngineObjectPtr<Frame>> Frames() const;
    // Runs task on the engine thread.
    void Post(std::function<void()> task) const;
    // Loads address in the frame devtools_id (on the engine thread, in the order asked).
    void Navigate(const std::string& address, const std::string& devtools_id);
    // Runs code in the page context of the frame devtools_id, a frame that shares its
    // session with its parent (on the engine thread, in the order asked).
    void RunScriptInFrame(const std::string& devtools_id, std::string code);

  private:
    void FillTable();
    void BeginSession(const std::string& session, const std::string& target_id,
                      std::function<void()> on_running);
    void EndSession(const std::string& session);
    void HandleEvent(const std::string& session, const std::string& method,
                     const nlohmann::json& params);
    void ChildAttached(const std::string& parent_session, const nlohmann::json& params);
    EngineObjectPtr<Frame> FrameForEvent(const std::string& devtools_id,
                                         const std::string& session);
    void RemoveFrame(const std::string& devtools_id);
    void DocumentRequested(const nlohmann::json& params);
    void DocumentFailed(const nlohmann::json& params);
    void FrameNavigated(const std::string& session, const nlohmann::json& params);
    void FrameStartedLoading(const std::string& devtools_id);
    void FrameStoppedLoading(const std::string& session, const std::string& devtools_id);
    void FrameIdle(const std::string& devtools_id);
    void DialogOpening(const std::string& session, const nlohmann::json& params);
    void ContextEvent(const std::string& session, const std::string& method,
                      const nlohmann::json& params);
    void NotifyLoadStart(const EngineObjectPtr<Frame>& frame);
    void NotifyLoadError(const EngineObjectPtr<Frame>& frame, const std::string& error,
                         const std::string& failed_url);
    void NotifyLoadEnd(const EngineObjectPtr<Frame>& frame, int status);
    void NotifyLoadingState(bool loading);
    void NotifyLifeSpan(void (*notify)(cef_life_span_handler_t*, Browser&));
    void MainFrameStopped(int status);
    void FirstNavigationStarted(bool ok, const nlohmann::json& result);

    const int identifier_;
    const bool popup_;
    const int width_;
    const int height_;
    const std::string target_id_;
    const std::string page_session_;
    const std::shared_ptr<ChromiumSession> chromium_;
    const std::function<void()> on_window_request_;
    const std::function<WindowAnswer(const std::string&)> on_window_question_;
    std::atomic<bool> valid_{true};
    std::atomic<bool> loading_{false};
    std::atomic<long long> main_frame_identifier_{0};

    mutable std::mutex mutex_;  // guards client_, main_frame_, frames_
    HeldReference<cef_client_t> client_;
    EngineObjectPtr<Frame> main_frame_;
    std::map<std::string, EngineObjectPtr<Frame>> frames_;  // by DevTools frame id

    // Engine thread only.
    std::map<std::string, std::string> sessions_;  // session -> the target it is attached to
    std::map<std::string, int>
        document_status_;  // DevTools frame id -> HTTP status of its document
    // The latest load of a frame's document, from the request for it until the frame
    // stops loading.
    struct FrameLoad {
        std::string loader;           // the navigation's DevTools loader id
        std::string url;              // the address asked for, after redirects
        int status = 0;               // HTTP status of the response, 0 while there is none
        std::string error;            // why it failed ("net::ERR_..."), empty while it did not
        bool committed = false;       // its document (or the error page) is the frame's now
        bool error_reported = false;  // the client heard of the failure
    };
    std::map<std::string, FrameLoad> loads_;  // by DevTools frame id
    std::set<std::string> loading_frames_;    // DevTools frame ids
    struct PendingRequest {
        WindowRequest request;
        std::chrono::steady_clock::time_point when;
    };
    std::deque<PendingRequest> window_requests_;
    struct WindowDecision {
        std::string url;
        WindowAnswer answer;
        std::chrono::steady_clock::time_point when;
    };
    std::deque<WindowDecision> window_decisions_;
    // Frames that share their parent's session have no session of their own to run a
    // script in: their page context is found through the runtime events of the session,
    // which are asked for only while such scripts wait.
    struct SessionRuntime {
        int waiting_scripts = 0;
        std::map<std::string, int> page_contexts;  // DevTools frame id -> context id
    };
    std::map<std::string, SessionRuntime> runtimes_;  // by session
    bool closing_ = false;
    bool opened_ = false;
    // A page created for the engine starts with an empty document of Chromium's own,
    // whose load may or may not be reported. Only the engine's first navigation counts:
    // the main frame's load ends are held back until the document of that navigation (the
    // loader that Page.navigate names) is known to have been the one that stopped.
    enum class FirstNavigation { kNotStarted, kAwaitingLoader, kDone };
    FirstNavigation first_navigation_ = FirstNavigation::kDone;
    std::string main_loader_;  // loader of the main frame's last committed document
    std::string
        main_stopped_loader_;      // main_loader_ when the main frame last stopped, while held back
    int main_stopped_status_ = 0;  // the status of that stop
};

}  // namespace quillmoor::bridge
