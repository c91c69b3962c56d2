#include "browser/qt_message_pump.h"

#include <QCoreApplication>

namespace quillmoor {

// Posted events (the host control's notices among them) are dispatched too.
void QtMessagePump::Pump() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace quillmoor
