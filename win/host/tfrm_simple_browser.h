// The hidden browser window of the Win32 front end: a top-level window, never shown, that
// holds the program's one browser in its host control. The page run drives it through its
// address box, its Go button and the page commands; the browser answers only through the
// job signals, which the window's engine handlers set on the engine's UI thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "handlers/browser_events.h"
#include "pipeline/job_signals.h"
#include "pipeline/run_clock.h"
#include "platform/no_copy.h"
#include "platform/thread_owner.h"
#include "startup/running_engine.h"
#include "win/host/tchromium_window.h"

namespace quillmoor::win {

class TfrmSimpleBrowser {
  public:
    // The caption until the browser exists, and from then on.
    static constexpr std::u16string_view kInitialCaption = u"Initializing browser. Please wait...";
    static constexpr std::u16string_view kReadyCaption = u"Simple Browser";
    // What the address box holds when the window is created: the first page the browser
    // loads once it exists.
    static constexpr std::u16string_view kDefaultAddress = u"about:blank";
    static constexpr int kClientWidth = 1038;
    static constexpr int kClientHeight = 624;
    static constexpr int kAddressPanelHeight = 30;
    static constexpr int kAddressPanelMargin = 5;
    static constexpr int kGoButtonWidth = 31;
    static constexpr UINT kCreateRetryMilliseconds = 300;
    // The Go button's control identifier (its clicks arrive as WM_COMMAND).
    static constexpr int kGoBtnId = 101;
    // Timer1's identifier on the window.
    static constexpr UINT_PTR kTimer1Id = 1;

    // engine may be null (no engine: the browser is never created). signals and clock are
    // the process's and must outlive the window. GUI thread. Runs FormCreate.
    TfrmSimpleBrowser(RunningEngine* engine, JobSignals& signals, RunClock& clock);
    ~TfrmSimpleBrowser();
    QUILLMOOR_NO_COPY(TfrmSimpleBrowser);

    // ---- Windows and controls (GUI thread; each checks it) ----
    HWND Handle() const;
    HWND AddressPnl() const;
    HWND AddressEdt() const;
    HWND GoBtn() const;
    TChromiumWindow* ChromiumWindow1() const;
    // Whether Timer1 runs.
    bool Timer1Enabled() const;
    // The window's caption.
    std::u16string Caption() const;
    // The text of the address box, and setting it.
    std::u16string AddressText() const;
    void SetAddressText(std::u16string_view text);

    // ---- Operations offered to the page run (GUI thread; each checks it) ----
    // The main frame loads the text of AddressEdt; nothing while the browser is not ready.
    void GoBtnClick();
    // Asks for the main frame's markup; it arrives through the job signals.
    void btn9Click();
    // Pick the language: the menu entry of the earlier widget's menu, then, when the page
    // has no such menu, the entry of the widget's current menu (two scripts).
    void btn10Click();
    // Runs script in the browser's main frame; nothing without a browser.
    void RunPageScript(std::u16string_view script);
    // Closes the browser without waiting for its page and asks for a new one, retrying
    // every 300 ms until the engine accepts. The address box is set back to the default
    // address first, so that the new browser does not load the page the old one held.
    void ReplaceBrowser();

    // ---- Window notices (GUI thread; each checks it) ----
    // The window moves (WM_MOVE, WM_MOVING): the engine hears of it while the browser is
    // ready.
    void WMMove();
    // A menu loop of the window starts or ends; popup_menu_flag is the notice's wParam:
    // only a loop that does not belong to a popup menu (0) reaches the engine.
    void WMEnterMenuLoop(std::uintptr_t popup_menu_flag);
    void WMExitMenuLoop(std::uintptr_t popup_menu_flag);

    // ---- Engine handlers (engine's UI thread) ----
    // They touch only the process's job signals and clock, never the window, so that an
    // engine event that comes late does no harm.
    // The load-end cascade; the handler looks at none of the event's arguments.
    static void BrowserLoadEnd(JobSignals& signals, RunClock& clock);
    // The captured markup.
    static void BrowserTextResultAvailable(JobSignals& signals, RunClock& clock,
                                           const std::u16string& text);
    // True (cancel) exactly for a new tab or window: dispositions 3 to 6.
    static bool BrowserBeforePopup(const PopupRequest& request);
    static void ChromiumWindow1BeforeClose(cef_browser_t* browser);

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
    void CreateControls();
    void FormCreate();
    void Timer1Timer();
    void StartTimer1();
    void StopTimer1();
    void ChromiumWindow1AfterCreated();
    void ChromiumWindow1Close();

    // The GUI thread, which made the window.
    ThreadOwner owner_;
    RunningEngine* const engine_;  // GUI thread
    JobSignals& signals_;          // any thread (it is made for that)
    RunClock& clock_;              // any thread (it is made for that)
    // The window and its controls, owned by the window; GUI thread.
    HWND window_ = nullptr;
    HWND address_pnl_ = nullptr;
    HWND address_edt_ = nullptr;
    HWND go_btn_ = nullptr;
    std::unique_ptr<TChromiumWindow> chromium_window1_;
    bool timer1_enabled_ = false;
};

}  // namespace quillmoor::win
