// The toolkit-free core of ChromiumWindow1, the control that hosts the program's one
// browser, shared by the Qt and the Win32 controls: it makes the browser's client over the
// engine's C interface, asks the engine for the browser (one try per call) with the window
// information that the control gives, keeps the browser once the engine reports it created,
// and offers the few things the browser window does with it. After-created and close reach
// the GUI thread through the control's notice poster; load ends, text deliveries,
// new-window requests and before-close reach their handlers directly on the engine's UI
// thread.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/held_reference.h"
#include "handlers/browser_events.h"
#include "platform/no_copy.h"
#include "platform/thread_owner.h"
#include "startup/running_engine.h"

namespace quillmoor {

class BrowserHost {
  public:
    enum class BrowserState {
        kAbsent,     // no browser, none asked for
        kRequested,  // the engine accepted a request and has not reported the browser yet
        kReady,      // the engine reported the browser created
    };

    // Hands a notice to the GUI thread, where it runs later unless the poster was closed
    // by then; false when it is dropped. Called on any thread.
    using NoticePoster = std::function<bool(std::function<void()> notice)>;

    // engine may be null (no engine): every try to create the browser is refused. The
    // notices post_notice takes must stop before this object goes. GUI thread.
    BrowserHost(RunningEngine* engine, NoticePoster post_notice);
    QUILLMOOR_NO_COPY(BrowserHost);

    // ---- Events; set on the GUI thread before the browser is asked for ----
    // Engine's UI thread.
    std::function<void(cef_browser_t* browser, cef_frame_t* frame, int http_status_code)> OnLoadEnd;
    std::function<void(const std::u16string& text)> OnTextResultAvailable;
    std::function<bool(const PopupRequest& request)> OnBeforePopup;
    std::function<void(cef_browser_t* browser)> OnBeforeClose;
    // GUI thread. OnAfterCreated runs once the browser has been taken; with OnClose set the
    // close question is answered "handled here".
    std::function<void()> OnAfterCreated;
    std::function<void()> OnClose;

    // ---- GUI thread (each checks it) ----
    // One try with window_info: false when a browser exists or was asked for, without an
    // engine, before the engine's context is ready, or when the engine turns the request
    // down.
    bool CreateBrowser(const cef_window_info_t& window_info);
    bool Initialized() const {
        owner_.Check();
        return state_ == BrowserState::kReady;
    }
    BrowserState State() const {
        owner_.Check();
        return state_;
    }
    // The main frame loads text (a plain path as the file address of that file); nothing
    // while the browser is not ready or its main frame not valid.
    void LoadURL(const std::u16string& text);
    // Asks for the main frame's markup through a new string visitor; it arrives through
    // OnTextResultAvailable. Nothing while the browser is not ready or its main frame not
    // valid.
    void RetrieveHTML();
    // The browser host's move notice; only while the browser is ready.
    void NotifyMoveOrResizeStarted();
    // The browser's main frame, empty without a browser.
    HeldReference<cef_frame_t> MainFrame() const;
    // The address of the main frame's current document; empty without a browser.
    std::u16string MainFrameAddress() const;
    // The browser's own window; none without a browser (or where the engine keeps none).
    cef_window_handle_t BrowserWindow() const;
    // Asks the engine to close the browser (forced, without waiting for its page) and lets
    // go of it: absent at once, so that a new browser can be asked for while the old one
    // is still closing.
    void CloseBrowser();

  private:
    void BrowserCreated(HeldReference<cef_browser_t> browser);
    void BrowserClosing(int identifier);
    void BrowserGone(int identifier);
    std::shared_ptr<const BrowserEvents> MakeEvents();

    // The GUI thread, which made the host.
    ThreadOwner owner_;
    RunningEngine* const engine_;     // GUI thread
    const NoticePoster post_notice_;  // any thread (the poster is made for that)
    // GUI thread only.
    BrowserState state_ = BrowserState::kAbsent;
    HeldReference<cef_browser_t> browser_;
    int browser_identifier_ = 0;
    HeldReference<cef_browser_t> closing_browser_;  // closed, not yet reported gone
    std::shared_ptr<const BrowserEvents> events_;   // of the browser asked for last
};

}  // namespace quillmoor
