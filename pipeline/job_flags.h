// The job flags: the user's requests to pause and to cancel the running batch.
#pragma once

#include <atomic>

namespace quillmoor {

// Set by the Pause and Cancel buttons, cleared by the batch when it starts and when it
// ends normally, polled by every poll step of the batch and the page run. Written and read
// on the GUI thread (the buttons run nested inside the batch's message pumping); each flag
// is still stored whole, in a single atomic store, so that a front end that sets them from
// another thread needs nothing more. The process has one instance; the run and the batch
// get it passed.
class JobFlags {
  public:
    // While set, the batch waits.
    bool PauseRequested() const { return pause_requested_.load(std::memory_order_acquire); }
    // When set, the batch stops at its next check.
    bool CancelRequested() const { return cancel_requested_.load(std::memory_order_acquire); }

    // Pause: sets PauseRequested.
    void RequestPause() { pause_requested_.store(true, std::memory_order_release); }
    // Continue: clears PauseRequested.
    void Resume() { pause_requested_.store(false, std::memory_order_release); }
    // Cancel: sets CancelRequested, then clears PauseRequested, so that a paused batch
    // leaves its wait and stops.
    void RequestCancel() {
        cancel_requested_.store(true, std::memory_order_release);
        pause_requested_.store(false, std::memory_order_release);
    }
    // A batch starts or ends normally: clears both, CancelRequested first.
    void Clear() {
        cancel_requested_.store(false, std::memory_order_release);
        pause_requested_.store(false, std::memory_order_release);
    }

  private:
    // Written and read on the GUI thread.
    std::atomic<bool> pause_requested_{false};
    std::atomic<bool> cancel_requested_{false};
};

}  // namespace quillmoor
