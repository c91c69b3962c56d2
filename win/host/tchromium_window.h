// ChromiumWindow1's kind for the Win32 front end: the child window that hosts the
// program's one browser. Over the shared BrowserHost it asks the engine for the browser as
// a child of its own window, covering its client area (one try per call), and keeps the
// browser's window fitted to that area. Its events reach the browser window's handlers:
// after-created and close on the GUI thread through a notice posted to a message-only
// window of the GUI thread, load ends, text deliveries, new-window requests and
// before-close directly on the engine's UI thread.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/held_reference.h"
#include "handlers/browser_events.h"
#include "handlers/browser_host.h"
#include "platform/no_copy.h"
#include "platform/thread_owner.h"
#include "startup/running_engine.h"
#include "win/host/gui_notice_board.h"

namespace quillmoor::win {

class TChromiumWindow {
  public:
    using BrowserState = BrowserHost::BrowserState;

    // A child window of parent at bounds (client coordinates of parent). engine may be null
    // (no engine): every try to create the browser is refused. GUI thread.
    TChromiumWindow(RunningEngine* engine, HWND parent, const RECT& bounds);
    ~TChromiumWindow();
    QUILLMOOR_NO_COPY(TChromiumWindow);

    // ---- Events; set on the GUI thread before the browser is asked for ----
    // Engine's UI thread.
    std::function<void(cef_browser_t* browser, cef_frame_t* frame, int http_status_code)> OnLoadEnd;
    std::function<void(const std::u16string& text)> OnTextResultAvailable;
    std::function<bool(const PopupRequest& request)> OnBeforePopup;
    std::function<void(cef_browser_t* browser)> OnBeforeClose;
    // GUI thread.
    std::function<void()> OnAfterCreated;
    std::function<void()> OnClose;

    // ---- GUI thread (each checks it) ----
    // The control's own window, the browser's parent.
    HWND Handle() const {
        owner_.Check();
        return window_;
    }
    // One try: false when a browser exists or was asked for, without an engine, before
    // the engine's context is ready, or when the engine turns the request down.
    bool CreateBrowser();
    bool Initialized() const;
    BrowserState State() const;
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
    // Asks the engine to close the browser (forced, without waiting for its page) and lets
    // go of it: absent at once, so that a new browser can be asked for while the old one
    // is still closing.
    void CloseBrowser();

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void FitBrowserWindow();

    // The GUI thread, which made the control.
    ThreadOwner owner_;
    const std::shared_ptr<GuiNoticeBoard> notices_;  // any thread (it locks)
    // GUI thread only.
    HWND window_ = nullptr;
    BrowserHost host_;
};

}  // namespace quillmoor::win
