// Hands notices from the engine's threads to the thread of a Qt object: each notice runs
// there later, from that thread's event loop, unless the object has gone by then.
#pragma once

#include <QObject>
#include <functional>
#include <mutex>

namespace quillmoor {

class GuiNoticeBoard {
  public:
    explicit GuiNoticeBoard(QObject* target) : target_(target) {}

    // Any thread. Returns false when the target has gone (the notice is dropped here).
    bool Post(std::function<void()> notice);
    // The target's thread, before the target goes: every later notice is dropped.
    void Close();

  private:
    std::mutex mutex_;           // guards target_
    QObject* target_ = nullptr;  // written by the target's thread, read by any thread
};

}  // namespace quillmoor
