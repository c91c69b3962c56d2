// A fixture with the Win32 main window shown on the test's display, its dialogs scripted.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "pipeline/job_flags.h"
#include "tests/win/ui/scripted_dialogs.h"
#include "win/ui/tform3.h"

namespace quillmoor::win::test_support {

// Hands the waiting messages to their windows; a WM_QUIT is left in the queue.
inline void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, WM_QUIT - 1, PM_REMOVE) ||
           PeekMessageW(&message, nullptr, WM_QUIT + 1, 0xFFFFFFFF, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Whether a WM_QUIT waits in the queue; takes it.
inline bool TakeQuit() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// A click as the user makes it: through the button's own window, its panel and the form.
inline void Click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    Pump();
}

inline RECT PlaceInParent(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline int Width(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r.right - r.left;
}

class ShownMainWindow : public ::testing::Test {
  protected:
    ShownMainWindow() {
        form.Show();
        Pump();
    }
    ~ShownMainWindow() override {
        Pump();
        TakeQuit();
    }

    ScriptedDialogs dialogs;
    JobFlags flags;
    TForm3 form{dialogs, flags};
};

}  // namespace quillmoor::win::test_support
