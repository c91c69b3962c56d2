#include "win/host/tfrm_simple_browser.h"

#include "engine/engine_string.h"
#include "handlers/page_scripts.h"
#include "handlers/popup_rule.h"

namespace quillmoor::win {
namespace {

constexpr wchar_t kWindowClassName[] = L"QuillmoorSimpleBrowser";
constexpr wchar_t kPanelClassName[] = L"QuillmoorAddressPanel";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;

// Windows strings are UTF-16 in wchar_t.
const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    const int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = background;
    window_class.lpszClassName = name;
    // A second window finds the class registered already.
    RegisterClassExW(&window_class);
}

}  // namespace

TfrmSimpleBrowser::TfrmSimpleBrowser(RunningEngine* engine, JobSignals& signals, RunClock& clock)
    : engine_(engine), signals_(signals), clock_(clock) {
    const HBRUSH face = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    RegisterWindowClass(kWindowClassName, &WindowProc, face);
    RegisterWindowClass(kPanelClassName, &PanelProc, face);

    // Client area 1038 x 624 in the centre of the work area; the window is never shown.
    RECT outer{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&outer, kWindowStyle, FALSE, 0);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    RECT work_area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work_area, 0);
    const int left = work_area.left + (work_area.right - work_area.left - width) / 2;
    const int top = work_area.top + (work_area.bottom - work_area.top - height) / 2;
    const std::u16string caption(kInitialCaption);
    window_ = CreateWindowExW(0, kWindowClassName, Wide(caption), kWindowStyle, left, top, width,
                              height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    CreateControls();
    FormCreate();
}

TfrmSimpleBrowser::~TfrmSimpleBrowser() {
    owner_.Check();
    StopTimer1();
    chromium_window1_.reset();
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void TfrmSimpleBrowser::CreateControls() {
    owner_.Check();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // The address panel along the top edge, disabled until the browser exists; the box
    // fills it left of the Go button, inside a margin of 5.
    address_pnl_ = CreateWindowExW(
        0, kPanelClassName, L"AddressPnl", WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_CLIPCHILDREN, 0,
        0, kClientWidth, kAddressPanelHeight, window_, nullptr, instance, nullptr);
    const int inner_height = kAddressPanelHeight - 2 * kAddressPanelMargin;
    const int go_left = kClientWidth - kAddressPanelMargin - kGoButtonWidth;
    const std::u16string address(kDefaultAddress);
    address_edt_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", Wide(address),
                                   WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, kAddressPanelMargin,
                                   kAddressPanelMargin, go_left - kAddressPanelMargin, inner_height,
                                   address_pnl_, nullptr, instance, nullptr);
    go_btn_ =
        CreateWindowExW(0, L"BUTTON", L"Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, go_left,
                        kAddressPanelMargin, kGoButtonWidth, inner_height, address_pnl_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kGoBtnId)), instance, nullptr);
    // The host control fills the rest of the client area.
    const RECT bounds{0, kAddressPanelHeight, kClientWidth, kClientHeight};
    chromium_window1_ = std::make_unique<TChromiumWindow>(engine_, window_, bounds);
}

HWND TfrmSimpleBrowser::Handle() const {
    owner_.Check();
    return window_;
}

HWND TfrmSimpleBrowser::AddressPnl() const {
    owner_.Check();
    return address_pnl_;
}

HWND TfrmSimpleBrowser::AddressEdt() const {
    owner_.Check();
    return address_edt_;
}

HWND TfrmSimpleBrowser::GoBtn() const {
    owner_.Check();
    return go_btn_;
}

TChromiumWindow* TfrmSimpleBrowser::ChromiumWindow1() const {
    owner_.Check();
    return chromium_window1_.get();
}

bool TfrmSimpleBrowser::Timer1Enabled() const {
    owner_.Check();
    return timer1_enabled_;
}

std::u16string TfrmSimpleBrowser::Caption() const {
    owner_.Check();
    return WindowText(window_);
}

std::u16string TfrmSimpleBrowser::AddressText() const {
    owner_.Check();
    return WindowText(address_edt_);
}

void TfrmSimpleBrowser::SetAddressText(std::u16string_view text) {
    owner_.Check();
    const std::u16string copy(text);
    SetWindowTextW(address_edt_, Wide(copy));
}

void TfrmSimpleBrowser::FormCreate() {
    owner_.Check();
    TChromiumWindow& host = *chromium_window1_;
    JobSignals& signals = signals_;
    RunClock& clock = clock_;
    host.OnTextResultAvailable = [&signals, &clock](const std::u16string& text) {
        BrowserTextResultAvailable(signals, clock, text);
    };
    host.OnLoadEnd = [&signals, &clock](cef_browser_t*, cef_frame_t*, int) {
        BrowserLoadEnd(signals, clock);
    };
    host.OnBeforePopup = [](const PopupRequest& request) { return BrowserBeforePopup(request); };
    host.OnAfterCreated = [this] { ChromiumWindow1AfterCreated(); };
    host.OnClose = [this] { ChromiumWindow1Close(); };
    host.OnBeforeClose = [](cef_browser_t* browser) { ChromiumWindow1BeforeClose(browser); };
    if (!host.CreateBrowser()) {
        StartTimer1();
    }
}

void TfrmSimpleBrowser::StartTimer1() {
    owner_.Check();
    if (window_ != nullptr &&
        SetTimer(window_, kTimer1Id, kCreateRetryMilliseconds, nullptr) != 0) {
        timer1_enabled_ = true;
    }
}

void TfrmSimpleBrowser::StopTimer1() {
    owner_.Check();
    if (timer1_enabled_) {
        KillTimer(window_, kTimer1Id);
        timer1_enabled_ = false;
    }
}

void TfrmSimpleBrowser::Timer1Timer() {
    owner_.Check();
    StopTimer1();
    if (!chromium_window1_->CreateBrowser() && !chromium_window1_->Initialized()) {
        StartTimer1();
    }
}

void TfrmSimpleBrowser::ChromiumWindow1AfterCreated() {
    owner_.Check();
    const std::u16string caption(kReadyCaption);
    SetWindowTextW(window_, Wide(caption));
    EnableWindow(address_pnl_, TRUE);
    GoBtnClick();
}

void TfrmSimpleBrowser::ChromiumWindow1Close() {
    owner_.Check();
}

void TfrmSimpleBrowser::ChromiumWindow1BeforeClose(cef_browser_t* /*browser*/) {}

void TfrmSimpleBrowser::GoBtnClick() {
    owner_.Check();
    chromium_window1_->LoadURL(AddressText());
}

void TfrmSimpleBrowser::btn9Click() {
    owner_.Check();
    chromium_window1_->RetrieveHTML();
}

void TfrmSimpleBrowser::btn10Click() {
    owner_.Check();
    RunPageScript(kPickLanguageScript);
    RunPageScript(kPickLanguageInCurrentMenuScript);
}

void TfrmSimpleBrowser::RunPageScript(std::u16string_view script) {
    owner_.Check();
    const HeldReference<cef_frame_t> frame = chromium_window1_->MainFrame();
    if (!frame) {
        return;
    }
    const cef_string_t code = EngineStringView(script);
    const cef_string_t address = EngineStringView(kPageScriptAddress);
    frame->execute_java_script(frame.get(), &code, &address, 0);
}

void TfrmSimpleBrowser::ReplaceBrowser() {
    owner_.Check();
    SetAddressText(kDefaultAddress);
    chromium_window1_->CloseBrowser();
    StopTimer1();
    if (!chromium_window1_->CreateBrowser()) {
        StartTimer1();
    }
}

void TfrmSimpleBrowser::BrowserLoadEnd(JobSignals& signals, RunClock& clock) {
    signals.OnLoadEnd(clock.Now());
}

void TfrmSimpleBrowser::BrowserTextResultAvailable(JobSignals& signals, RunClock& clock,
                                                   const std::u16string& text) {
    signals.OnMarkupDelivered(text, clock.Now());
}

bool TfrmSimpleBrowser::BrowserBeforePopup(const PopupRequest& request) {
    return CancelsNewWindow(request);
}

void TfrmSimpleBrowser::WMMove() {
    owner_.Check();
    if (chromium_window1_ != nullptr) {
        chromium_window1_->NotifyMoveOrResizeStarted();
    }
}

void TfrmSimpleBrowser::WMEnterMenuLoop(std::uintptr_t popup_menu_flag) {
    owner_.Check();
    if (popup_menu_flag == 0 && engine_ != nullptr) {
        engine_->SetOsmodalLoop(true);
    }
}

void TfrmSimpleBrowser::WMExitMenuLoop(std::uintptr_t popup_menu_flag) {
    owner_.Check();
    if (popup_menu_flag == 0 && engine_ != nullptr) {
        engine_->SetOsmodalLoop(false);
    }
}

LRESULT TfrmSimpleBrowser::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    owner_.Check();
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wparam) == kGoBtnId && HIWORD(wparam) == BN_CLICKED) {
                GoBtnClick();
                return 0;
            }
            break;
        case WM_TIMER:
            if (wparam == kTimer1Id) {
                Timer1Timer();
                return 0;
            }
            break;
        case WM_MOVE:
        case WM_MOVING: {
            const LRESULT result = DefWindowProcW(window_, message, wparam, lparam);
            WMMove();
            return result;
        }
        case WM_ENTERMENULOOP: {
            const LRESULT result = DefWindowProcW(window_, message, wparam, lparam);
            WMEnterMenuLoop(static_cast<std::uintptr_t>(wparam));
            return result;
        }
        case WM_EXITMENULOOP: {
            const LRESULT result = DefWindowProcW(window_, message, wparam, lparam);
            WMExitMenuLoop(static_cast<std::uintptr_t>(wparam));
            return result;
        }
        case WM_CLOSE:
            // Closing is always allowed and only hides the window, which lives as long as
            // its owner.
            ShowWindow(window_, SW_HIDE);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wparam, lparam);
}

LRESULT CALLBACK TfrmSimpleBrowser::WindowProc(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* form = reinterpret_cast<TfrmSimpleBrowser*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr || form->window_ != window) {
        // Messages of the creation, before window_ is known, take their default course.
        return DefWindowProcW(window, message, wparam, lparam);
    }
    return form->HandleMessage(message, wparam, lparam);
}

// The panel hands its controls' notices (the Go button's clicks) to the window.
LRESULT CALLBACK TfrmSimpleBrowser::PanelProc(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
    if (message == WM_COMMAND) {
        return SendMessageW(GetParent(window), message, wparam, lparam);
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace quillmoor::win
