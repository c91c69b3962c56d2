#include "win/host/tchromium_window.h"

namespace quillmoor::win {
namespace {

constexpr wchar_t kClassName[] = L"QuillmoorChromiumWindow";

}  // namespace

TChromiumWindow::TChromiumWindow(RunningEngine* engine, HWND parent, const RECT& bounds)
    : notices_(std::make_shared<GuiNoticeBoard>()),
      host_(engine, [notices = notices_](std::function<void()> notice) {
          return notices->Post(std::move(notice));
      }) {
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

bool TChromiumWindow::CreateBrowser() {
    owner_.Check();
    if (window_ == nullptr) {
        return false;
    }
    // The events as they are at this try go with the request.
    host_.OnLoadEnd = OnLoadEnd;
    host_.OnTextResultAvailable = OnTextResultAvailable;
    host_.OnBeforePopup = OnBeforePopup;
    host_.OnBeforeClose = OnBeforeClose;
    host_.OnAfterCreated = [this] {
        FitBrowserWindow();
        if (OnAfterCreated) {
            OnAfterCreated();
        }
    };
    host_.OnClose = OnClose ? std::function<void()>([this] { OnClose(); }) : nullptr;
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
    return host_.CreateBrowser(window_info);
}

bool TChromiumWindow::Initialized() const {
    owner_.Check();
    return host_.Initialized();
}

TChromiumWindow::BrowserState TChromiumWindow::State() const {
    owner_.Check();
    return host_.State();
}

void TChromiumWindow::LoadURL(const std::u16string& text) {
    owner_.Check();
    host_.LoadURL(text);
}

void TChromiumWindow::RetrieveHTML() {
    owner_.Check();
    host_.RetrieveHTML();
}

void TChromiumWindow::NotifyMoveOrResizeStarted() {
    owner_.Check();
    host_.NotifyMoveOrResizeStarted();
}

HeldReference<cef_frame_t> TChromiumWindow::MainFrame() const {
    owner_.Check();
    return host_.MainFrame();
}

std::u16string TChromiumWindow::MainFrameAddress() const {
    owner_.Check();
    return host_.MainFrameAddress();
}

void TChromiumWindow::CloseBrowser() {
    owner_.Check();
    host_.CloseBrowser();
}

// The browser's own window follows the control's client area.
void TChromiumWindow::FitBrowserWindow() {
    owner_.Check();
    const HWND browser_window = host_.BrowserWindow();
    if (browser_window == nullptr || window_ == nullptr) {
        return;
    }
    RECT client_area{};
    GetClientRect(window_, &client_area);
    SetWindowPos(browser_window, nullptr, 0, 0, client_area.right - client_area.left,
                 client_area.bottom - client_area.top, SWP_NOZORDER | SWP_NOACTIVATE);
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
