// The main window as the batch drives it.
#pragma once

#include "pipeline/batch_view.h"

namespace quillmoor {

class TForm3;
class UserDialogs;

class TForm3BatchView final : public BatchView {
  public:
    // form and dialogs must outlive the view. GUI thread.
    TForm3BatchView(TForm3& form, UserDialogs& dialogs) : form_(form), dialogs_(dialogs) {}

    QUILLMOOR_BATCH_VIEW_OVERRIDES;

  private:
    TForm3& form_;          // GUI thread
    UserDialogs& dialogs_;  // GUI thread
};

}  // namespace quillmoor
