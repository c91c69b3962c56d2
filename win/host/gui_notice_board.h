// Hands notices from the engine's threads to the GUI thread: each notice is queued here and
// a private message posted to a message-only window of the GUI thread, on whose dispatch
// (the main loop's or the page run's pump) the notice runs, unless the board was closed
// by then.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

#include "platform/no_copy.h"
#include "platform/thread_owner.h"

namespace quillmoor::win {

class GuiNoticeBoard {
  public:
    // The private message that wakes the board's window, one per queued notice.
    static constexpr UINT kNoticeMessage = WM_APP + 0x51;

    // Made on the GUI thread, which owns the board's window.
    GuiNoticeBoard();
    // Any thread (the engine may hold the board last), once the GUI thread has closed it;
    // on the GUI thread it closes the board itself.
    ~GuiNoticeBoard();
    QUILLMOOR_NO_COPY(GuiNoticeBoard);

    // Any thread. Returns false when the board is closed (the notice is dropped here).
    bool Post(std::function<void()> notice);
    // The GUI thread, before what the notices reach goes: every queued and later notice is
    // dropped, and the board's window destroyed.
    void Close();
    // The board's message-only window. GUI thread.
    HWND Handle();

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void RunNext();

    // The GUI thread, which made the board.
    ThreadOwner owner_;
    std::mutex mutex_;       // guards window_, closed_ and notices_
    HWND window_ = nullptr;  // written by the GUI thread, read by any thread; under mutex_
    bool closed_ = false;    // any thread, under mutex_
    std::deque<std::function<void()>> notices_;  // any thread, under mutex_
};

}  // namespace quillmoor::win
