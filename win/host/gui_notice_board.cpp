#include "win/host/gui_notice_board.h"

#include <utility>

namespace quillmoor::win {
namespace {

constexpr wchar_t kClassName[] = L"QuillmoorGuiNoticeBoard";

}  // namespace

GuiNoticeBoard::GuiNoticeBoard() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &WindowProc;
    window_class.hInstance = instance;
    window_class.lpszClassName = kClassName;
    // A second board finds the class registered already.
    RegisterClassExW(&window_class);
    const HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        instance, nullptr);
    if (window != nullptr) {
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    std::lock_guard lock(mutex_);
    window_ = window;
}

GuiNoticeBoard::~GuiNoticeBoard() {
    if (owner_.IsCurrent()) {
        Close();
    }
}

bool GuiNoticeBoard::Post(std::function<void()> notice) {
    std::lock_guard lock(mutex_);
    if (closed_ || window_ == nullptr) {
        return false;
    }
    notices_.push_back(std::move(notice));
    if (PostMessageW(window_, kNoticeMessage, 0, 0) == 0) {
        notices_.pop_back();
        return false;
    }
    return true;
}

void GuiNoticeBoard::Close() {
    owner_.Check();
    std::deque<std::function<void()>> dropped;
    HWND window = nullptr;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        dropped.swap(notices_);
        std::swap(window, window_);
    }
    // The dropped notices go outside the lock: what they hold may post again.
    if (window != nullptr) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
}

HWND GuiNoticeBoard::Handle() {
    owner_.Check();
    std::lock_guard lock(mutex_);
    return window_;
}

// One notice per message, in the order they were posted.
void GuiNoticeBoard::RunNext() {
    owner_.Check();
    std::function<void()> notice;
    {
        std::lock_guard lock(mutex_);
        if (closed_ || notices_.empty()) {
            return;
        }
        notice = std::move(notices_.front());
        notices_.pop_front();
    }
    notice();
}

LRESULT CALLBACK GuiNoticeBoard::WindowProc(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
    if (message == kNoticeMessage) {
        if (auto* board =
                reinterpret_cast<GuiNoticeBoard*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            board->RunNext();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace quillmoor::win
