#include "app/gui/batch_window_binding.h"

#include <QCoreApplication>
#include <QEvent>

#include "app/gui/program_application.h"
#include "ui/tform3.h"

namespace quillmoor {

BatchWindowBinding::BatchWindowBinding(TForm3& form, BatchDriver& driver)
    : form_(form), driver_(driver) {
    form_.installEventFilter(this);
    QObject::connect(&form_, &TForm3::translateRequested, this, [this] { RunBatch(); });
}

void BatchWindowBinding::RunBatch() {
    try {
        driver_.btnTranslateClick();
    } catch (...) {
        // The error must not unwind through the toolkit's own code.
        ProgramApplication::ShowUncaughtError(std::current_exception());
    }
    if (close_ == CloseState::kPending && driver_.State() == BatchState::kIdle) {
        close_ = CloseState::kNone;
        form_.close();
    }
}

bool BatchWindowBinding::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &form_ || event->type() != QEvent::Close) {
        return false;
    }
    if (driver_.State() == BatchState::kRunning) {
        form_.FormCloseQuery();  // presses Cancel
        close_ = CloseState::kPending;
        event->ignore();
        return true;
    }
    // The window closes (TForm3 never refuses); the main loop ends at its next turn.
    QCoreApplication::quit();
    return false;
}

}  // namespace quillmoor
