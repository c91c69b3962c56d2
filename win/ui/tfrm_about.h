// The about window of the Win32 front end: the program's picture, name, version, a short
// notice of rights and links that the shell opens. Small, fixed in size and shown without
// being modal.
//
// Lives on and is used from the GUI thread only.
#pragma once

#include <windows.h>

#include "platform/thread_owner.h"

namespace quillmoor::win {

class Dialogs;

class TfrmAbout {
  public:
    // The client area's size.
    static constexpr SIZE kSize{380, 236};

    // Creates the window, hidden. dialogs must outlive it.
    explicit TfrmAbout(Dialogs& dialogs);
    ~TfrmAbout();
    TfrmAbout(const TfrmAbout&) = delete;
    TfrmAbout& operator=(const TfrmAbout&) = delete;

    // Shows the window without making it modal and brings it to the front.
    void ShowAbout();

    // Components.
    HWND frmAbout = nullptr;
    HWND Picture = nullptr;
    HWND ProductName = nullptr;
    HWND Version = nullptr;
    HWND Copyright = nullptr;
    HWND Links = nullptr;
    HWND OKButton = nullptr;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

    ThreadOwner gui_thread_;
    Dialogs& dialogs_;           // GUI thread
    HFONT font_ = nullptr;       // GUI thread
    HFONT name_font_ = nullptr;  // GUI thread
};

}  // namespace quillmoor::win
