// Thread ownership, checked: a method that belongs to one thread says so at its entry, and a
// call from any other thread is reported where it happens instead of racing unseen.
#pragma once

#include <atomic>
#include <source_location>
#include <thread>

namespace quillmoor {

// The checks run in debug builds and wherever QUILLMOOR_THREAD_CHECKS is defined (the test
// and sanitizer builds of scripts/test); elsewhere they cost nothing.
#if !defined(NDEBUG) || defined(QUILLMOOR_THREAD_CHECKS)
inline constexpr bool kThreadChecks = true;
#else
inline constexpr bool kThreadChecks = false;
#endif

// Receives the place of a call made from a thread that does not own the method.
using WrongThreadHandler = void (*)(const std::source_location& where);

// Replaces the handler and returns the one before. The default writes one line naming the
// place to standard error and aborts. Any thread.
WrongThreadHandler SetWrongThreadHandler(WrongThreadHandler handler);

// Hands where to the current handler.
void ReportWrongThread(const std::source_location& where);

// Reports where when the calling thread is not owner.
inline void CheckThread(std::thread::id owner,
                        const std::source_location& where = std::source_location::current()) {
    if constexpr (kThreadChecks) {
        if (std::this_thread::get_id() != owner) {
            ReportWrongThread(where);
        }
    }
}

// The thread that owns an object's thread-bound methods: the one that bound it. The one way
// the program checks thread ownership: an object keeps one as a member and calls Check at
// the entry of every method that belongs to its thread.
class ThreadOwner {
  public:
    // Owned by the constructing thread.
    ThreadOwner() : owner_(std::this_thread::get_id()) {}
    // From now on owned by the calling thread: for an object made on one thread and handed
    // to another that runs it from then on. Any thread.
    void BindToCurrentThread() { owner_.store(std::this_thread::get_id()); }
    // From now on owned by the thread of id, which need not be the caller (a thread that an
    // object starts for itself); a default id means no thread, and every call is reported.
    // Any thread.
    void BindTo(std::thread::id id) { owner_.store(id); }
    bool IsCurrent() const { return owner_.load() == std::this_thread::get_id(); }
    // At the entry of a method that belongs to the owner.
    void Check(const std::source_location& where = std::source_location::current()) const {
        if constexpr (kThreadChecks) {
            CheckThread(owner_.load(), where);
        }
    }

  private:
    std::atomic<std::thread::id> owner_;
};

}  // namespace quillmoor
