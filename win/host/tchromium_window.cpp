#include "win/host/tchromium_window.h"

#include "engine/engine_string.h"
#include "handlers/browser_client.h"
#include "handlers/engine_address.h"
#include "handlers/string_visitor.h"

namespace quillmoor::win {
namespace {

constexpr std::u16string_view kInitialAddress = u"about:blank";
constexpr wchar_t kClassName[] = L"QuillmoorChromiumWindow";

}  // namespace

TChromiumWindow::TChromiumWindow(RunningEngine* engine, HWND parent, const RECT& bounds)
    : engine_(engine), notices_(std::make_shared<GuiNoticeBoard>()) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &WindowProc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = kClassName;
    // A second control finds the class registered already.
    RegisterClassExW(&window_class);
    window_ = CreateWindowExW(0, kClassName, L"ChromiumWindow1",
                              WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                              bounds.left, bounds.top, bounds.right - bounds.left,
                              bounds.bottom - bounds.top, parent, nullptr, instance, nullptr);
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

TChromiumWindow::~TChromiumWindow() {
    owner_.Check();
    notices_->Close();
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

std::shared_ptr<const BrowserEvents> TChromiumWindow::MakeEvents() {
    auto events = std::make_shared<BrowserEvents>();
    events->on_load_end = OnLoadEnd;
    events->on_text_result_available = OnTextResultAvailable;
    events->on_before_popup = OnBeforePopup;
    events->on_before_close = OnBeforeClose;
    // The notices run on the GUI thread, and only while this control lives: the board
    // stops taking them, and drops those still queued, before the control goes.
    const std::shared_ptr<GuiNoticeBoard> notices = notices_;
    events->hand_over_after_created = [this, notices](HeldReference<cef_browser_t> browser) {
        notices->Post([this, browser] { BrowserCreated(browser); });
    };
    if (OnClose) {
        events->hand_over_close = [this, notices](HeldReference<cef_browser_t> browser) {
            const int identifier = browser ? browser->get_identifier(browser.get()) : 0;
            notices->Post([this, identifier] { BrowserClosing(identifier); });
        };
    }
    events->hand_over_closed = [this, notices](int identifier) {
        notices->Post([this, identifier] { BrowserGone(identifier); });
    };
    return events;
}

bool TChromiumWindow::CreateBrowser() {
    owner_.Check();
    if (state_ != BrowserState::kAbsent || browser_ || window_ == nullptr) {
        return false;
    }
    if (engine_ == nullptr || !engine_->GlobalContextInitialized()) {
        return false;
    }
    const EngineEntryPoints& engine = engine_->EntryPoints();
    if (engine.cef_browser_host_create_browser == nullptr) {
        return false;
    }
    std::shared_ptr<const BrowserEvents> events = MakeEvents();
    auto client = EngineObjectPtr<BrowserClient>::Make(events);
    if (!client) {
        return false;
    }

    // A windowed browser: its own window is a child of this control's, covering its client
    // area.
    RECT client_area{};
    GetClientRect(window_, &client_area);
    cef_window_info_t window_info{};
    window_info.style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VISIBLE;
    window_info.parent_window = window_;
    window_info.x = 0;
    window_info.y = 0;
    window_info.width = client_area.right - client_area.left;
    window_info.height = client_area.bottom - client_area.top;
    cef_browser_settings_t settings{};
    settings.size = sizeof settings;
    const cef_string_t address = EngineStringView(kInitialAddress);
    cef_request_context_t* context = engine.cef_request_context_get_global_context != nullptr
                                         ? engine.cef_request_context_get_global_context()
                                         : nullptr;
    // The client and the request context go to the engine with a reference each.
    if (engine.cef_browser_host_create_browser(&window_info, client->NewReference(), &address,
                                               &settings, nullptr, context) == 0) {
        return false;
    }
    events_ = std::move(events);
    state_ = BrowserState::kRequested;
    return true;
}

void TChromiumWindow::BrowserCreated(HeldReference<cef_browser_t> browser) {
    owner_.Check();
    // Only the browser asked for becomes the control's; a window that a page opened
    // (allowed by OnBeforePopup) runs on without it.
    if (state_ != BrowserState::kRequested || !browser || browser->is_popup(browser.get()) != 0) {
        return;
    }
    browser_ = std::move(browser);
    browser_identifier_ = browser_->get_identifier(browser_.get());
    state_ = BrowserState::kReady;
    FitBrowserWindow();
    if (OnAfterCreated) {
        OnAfterCreated();
    }
}

void TChromiumWindow::BrowserClosing(int identifier) {
    owner_.Check();
    if (OnClose) {
        OnClose();
    }
    // The close was answered "handled here": the engine waits for the browser's own window
    // to go.
    if (closing_browser_ &&
        identifier == closing_browser_->get_identifier(closing_browser_.get())) {
        if (cef_browser_host_t* host = closing_browser_->get_host(closing_browser_.get())) {
            const HWND window = host->get_window_handle(host);
            ReleaseEngineReference(host);
            if (window != nullptr) {
                DestroyWindow(window);
            }
        }
    }
}

void TChromiumWindow::BrowserGone(int identifier) {
    owner_.Check();
    if (identifier == 0) {
        return;
    }
    if (closing_browser_ &&
        identifier == closing_browser_->get_identifier(closing_browser_.get())) {
        closing_browser_.Reset();
    }
    if (identifier == browser_identifier_) {
        browser_.Reset();
        browser_identifier_ = 0;
        state_ = BrowserState::kAbsent;
    }
}

void TChromiumWindow::LoadURL(const std::u16string& text) {
    owner_.Check();
    HeldReference<cef_frame_t> frame = Initialized() ? MainFrame() : HeldReference<cef_frame_t>();
    if (!frame || frame->is_valid(frame.get()) == 0) {
        return;
    }
    const std::u16string address = EngineAddressOf(text);
    const cef_string_t url = EngineStringView(address);
    frame->load_url(frame.get(), &url);
}

void TChromiumWindow::RetrieveHTML() {
    owner_.Check();
    HeldReference<cef_frame_t> frame = Initialized() ? MainFrame() : HeldReference<cef_frame_t>();
    if (!frame || frame->is_valid(frame.get()) == 0) {
        return;
    }
    auto visitor = EngineObjectPtr<StringVisitor>::Make(events_);
    frame->get_source(frame.get(), visitor->NewReference());
}

void TChromiumWindow::NotifyMoveOrResizeStarted() {
    owner_.Check();
    if (!Initialized()) {
        return;
    }
    cef_browser_host_t* host = browser_->get_host(browser_.get());
    if (host != nullptr) {
        host->notify_move_or_resize_started(host);
        ReleaseEngineReference(host);
    }
}

HeldReference<cef_frame_t> TChromiumWindow::MainFrame() const {
    owner_.Check();
    if (!browser_) {
        return HeldReference<cef_frame_t>();
    }
    return HeldReference<cef_frame_t>::Adopt(browser_->get_main_frame(browser_.get()));
}

std::u16string TChromiumWindow::MainFrameAddress() const {
    owner_.Check();
    const HeldReference<cef_frame_t> frame = MainFrame();
    if (!frame || frame->get_url == nullptr || engine_ == nullptr) {
        return {};
    }
    cef_string_userfree_t address = frame->get_url(frame.get());
    std::u16string text = FromEngineString(address);
    if (address != nullptr && engine_->EntryPoints().cef_string_userfree_utf16_free != nullptr) {
        engine_->EntryPoints().cef_string_userfree_utf16_free(address);
    }
    return text;
}

void TChromiumWindow::CloseBrowser() {
    owner_.Check();
    if (state_ != BrowserState::kReady) {
        return;
    }
    closing_browser_ = std::move(browser_);
    browser_.Reset();
    browser_identifier_ = 0;
    state_ = BrowserState::kAbsent;
    cef_browser_host_t* host = closing_browser_->get_host(closing_browser_.get());
    if (host != nullptr) {
        host->close_browser(host, 1);
        ReleaseEngineReference(host);
    }
}

// The browser's own window follows the control's client area.
void TChromiumWindow::FitBrowserWindow() {
    owner_.Check();
    if (!browser_ || window_ == nullptr) {
        return;
    }
    cef_browser_host_t* host = browser_->get_host(browser_.get());
    if (host == nullptr) {
        return;
    }
    const HWND browser_window = host->get_window_handle(host);
    ReleaseEngineReference(host);
    if (browser_window != nullptr) {
        RECT client_area{};
        GetClientRect(window_, &client_area);
        SetWindowPos(browser_window, nullptr, 0, 0, client_area.right - client_area.left,
                     client_area.bottom - client_area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT CALLBACK TChromiumWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
    if (message == WM_SIZE) {
        if (auto* control =
                reinterpret_cast<TChromiumWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            control->FitBrowserWindow();
        }
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace quillmoor::win
