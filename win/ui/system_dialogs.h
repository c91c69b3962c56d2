// The dialogs of the Win32 program: the system's message boxes, open dialog and folder
// chooser, and the shell for links and folders.
#pragma once

#include <windows.h>

#include "platform/thread_owner.h"
#include "win/ui/dialogs.h"

namespace quillmoor::win {

class SystemDialogs final : public Dialogs {
  public:
    // The window that owns the dialogs from now on (the main window); none at first. GUI
    // thread.
    void SetOwner(HWND owner);

    QUILLMOOR_WIN_DIALOGS_OVERRIDES;

  private:
    ThreadOwner gui_thread_;
    HWND owner_ = nullptr;  // GUI thread
};

}  // namespace quillmoor::win
