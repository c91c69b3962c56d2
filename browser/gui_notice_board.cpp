#include "browser/gui_notice_board.h"

#include <QMetaObject>

namespace quillmoor {

bool GuiNoticeBoard::Post(std::function<void()> notice) {
    std::lock_guard lock(mutex_);
    if (target_ == nullptr) {
        return false;
    }
    // The event is queued for the target; Qt drops it should the target be deleted first.
    QMetaObject::invokeMethod(target_, std::move(notice), Qt::QueuedConnection);
    return true;
}

void GuiNoticeBoard::Close() {
    std::lock_guard lock(mutex_);
    target_ = nullptr;
}

}  // namespace quillmoor
