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
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bridge/chromium_session.h"
#include "bridge/frame.h"
#include "bridge/held_reference.h"
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
    // Asks the client whether it may close, then closes the page target.
    void Close();
    // The page target has gone: the client hears that the browser closes, and the browser
    // and its frames become invalid.
    void TargetGone();
    // The engine shuts down or lost Chromium: everything becomes invalid, nobody is told.
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
    void NotifyLoadEnd(const EngineObjectPtr<Frame>& frame, int status);
    void NotifyLifeSpan(void (*notify)(cef_life_span_handler_t*, Browser&));
    void MainFrameStopped();
    void FirstNavigationStarted(bool ok, const nlohmann::json& result);
    void ForgetEverything();

    const int identifier_;
    const bool popup_;
    const int width_;
    const int height_;
    const std::string target_id_;
    const std::string page_session_;
    const std::shared_ptr<ChromiumSession> chromium_;
    const std::function<void()> on_window_request_;
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
    struct PendingRequest {
        WindowRequest request;
        std::chrono::steady_clock::time_point when;
    };
    std::deque<PendingRequest> window_requests_;
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
        main_stopped_loader_;  // main_loader_ when the main frame last stopped, while held back
};

}  // namespace quillmoor::bridge
