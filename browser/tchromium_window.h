// ChromiumWindow1's kind: the control that hosts the program's one browser. Over the shared
// BrowserHost it asks the engine for the browser (one try per call) as a child of its own
// window, keeps the browser once the engine reports it created, and offers the few
// things the browser window does with it. Its events reach the browser window's handlers:
// after-created and close on the GUI thread through a notice posted to this control, load
// ends, text deliveries, new-window requests and before-close directly on the engine's UI
// thread.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "browser/gui_notice_board.h"
#include "engine/held_reference.h"
#include "handlers/browser_events.h"
#include "handlers/browser_host.h"
#include "platform/thread_owner.h"
#include "startup/running_engine.h"

namespace quillmoor {

class TChromiumWindow : public QWidget {
  public:
    using BrowserState = BrowserHost::BrowserState;

    // engine may be null (no engine): every try to create the browser is refused.
    TChromiumWindow(RunningEngine* engine, QWidget* parent);
    ~TChromiumWindow() override;

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

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void FitBrowserWindow();

    // The GUI thread, which made the control.
    ThreadOwner owner_;
    const std::shared_ptr<GuiNoticeBoard> notices_;  // any thread (it locks)
    BrowserHost host_;                               // GUI thread
};

}  // namespace quillmoor
