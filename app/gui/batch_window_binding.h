// The batch bound to the main window: the Translate button runs it, an error that ends it
// goes to the general error box, and closing the window while it runs waits for it.
#pragma once

#include <QObject>

#include "pipeline/batch_driver.h"

namespace quillmoor {

class TForm3;

// Whether a close of the main window waits for the running batch.
enum class CloseState { kNone, kPending };

class BatchWindowBinding final : public QObject {
  public:
    // form and driver must outlive the binding. GUI thread.
    BatchWindowBinding(TForm3& form, BatchDriver& driver);

    // The Translate button: runs the batch (a press while one runs does nothing; see
    // BatchDriver::btnTranslateClick). An error that ends the batch is shown in the
    // application's general error box. A close asked for meanwhile is done afterwards.
    void RunBatch();

  protected:
    // Closing the main window: while a batch runs, presses Cancel and keeps the window on
    // screen until the batch has returned; otherwise the window closes and the program's
    // main loop ends once it has control again.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TForm3& form_;                          // GUI thread
    BatchDriver& driver_;                   // GUI thread
    CloseState close_ = CloseState::kNone;  // GUI thread
};

}  // namespace quillmoor
