#include "browser/tchromium_window.h"

namespace quillmoor {

TChromiumWindow::TChromiumWindow(RunningEngine* engine, QWidget* parent)
    : QWidget(parent),
      notices_(std::make_shared<GuiNoticeBoard>(this)),
      host_(engine, [notices = notices_](std::function<void()> notice) {
          return notices->Post(std::move(notice));
      }) {}

TChromiumWindow::~TChromiumWindow() {
    notices_->Close();
}

bool TChromiumWindow::CreateBrowser() {
    owner_.Check();
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
    cef_window_info_t window_info{};
#if defined(_WIN32)
    window_info.style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VISIBLE;
    window_info.parent_window = reinterpret_cast<HWND>(winId());
    window_info.x = 0;
    window_info.y = 0;
    window_info.width = width();
    window_info.height = height();
#else
    window_info.parent_window = static_cast<cef_window_handle_t>(winId());
    window_info.x = 0;
    window_info.y = 0;
    window_info.width = static_cast<unsigned int>(width());
    window_info.height = static_cast<unsigned int>(height());
#endif
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

void TChromiumWindow::resizeEvent(QResizeEvent* event) {
    owner_.Check();
    QWidget::resizeEvent(event);
    FitBrowserWindow();
}

// The browser's own window follows the control's client area. The engine on Linux draws
// into a view of the size it was created with and has no window of its own here.
void TChromiumWindow::FitBrowserWindow() {
#if defined(_WIN32)
    const HWND window = host_.BrowserWindow();
    if (window != nullptr) {
        SetWindowPos(window, nullptr, 0, 0, width(), height(), SWP_NOZORDER);
    }
#endif
}

}  // namespace quillmoor
