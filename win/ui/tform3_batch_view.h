// The Win32 main window as the batch drives it.
#pragma once

#include "pipeline/batch_view.h"
#include "platform/thread_owner.h"

namespace quillmoor::win {

class TForm3;
class Dialogs;

class TForm3BatchView final : public BatchView {
  public:
    // form and dialogs must outlive the view. GUI thread.
    TForm3BatchView(TForm3& form, Dialogs& dialogs) : form_(form), dialogs_(dialogs) {}

    QUILLMOOR_BATCH_VIEW_OVERRIDES;

  private:
    ThreadOwner gui_thread_;
    TForm3& form_;      // GUI thread
    Dialogs& dialogs_;  // GUI thread
};

}  // namespace quillmoor::win
