// The job signals: how the hidden browser reports load ends and delivered markup to the
// page run.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "pipeline/run_clock.h"

namespace quillmoor {

// Written by the browser window's engine handlers on the engine's thread, at any moment
// (also while the GUI thread sleeps inside a wait); reset, time-stamped and polled by the
// page run on the GUI thread. Every flag and time stamp is stored whole, in one atomic
// store (release) and read whole (acquire). No lock orders the GUI thread's writes against
// the engine's: whichever store comes last stands. The markup is guarded by a lock that
// its readers share, and it is published before HtmlReady: a reader that sees HtmlReady
// true then reads the complete markup of that delivery (or of a later one).
//
// The process has one instance, owned by the program and passed to the browser window and
// the page run; the values carry over from one page run to the next.
class JobSignals {
  public:
    // The signals that a wait can wait for.
    enum class Signal { kPageLoaded, kLoadStage1, kLoadStage2, kLoadStage3, kHtmlReady };
    // The time stamps that a wait measures from.
    enum class Stamp { kLastLoadTime, kHtmlReadyTime };

    // ---- The engine's thread (the browser window's handlers) ----

    // A frame finished loading (the main frame or any sub-frame): LastLoadTime = now,
    // then PageLoaded = true, then the first of LoadStage1..3 that is still false becomes
    // true (none when all three are).
    void OnLoadEnd(Timestamp now);

    // The requested markup arrived: CapturedHtml = markup (replacing the previous text
    // whole), then HtmlReady = true, then HtmlReadyTime = now.
    void OnMarkupDelivered(std::u16string markup, Timestamp now);

    // ---- Readers (the GUI thread; safe on any thread) ----

    bool IsSet(Signal signal) const;
    Timestamp TimeOf(Stamp stamp) const;

    bool PageLoaded() const { return IsSet(Signal::kPageLoaded); }
    bool LoadStage1() const { return IsSet(Signal::kLoadStage1); }
    bool LoadStage2() const { return IsSet(Signal::kLoadStage2); }
    bool LoadStage3() const { return IsSet(Signal::kLoadStage3); }
    bool HtmlReady() const { return IsSet(Signal::kHtmlReady); }
    Timestamp LastLoadTime() const { return TimeOf(Stamp::kLastLoadTime); }
    Timestamp HtmlReadyTime() const { return TimeOf(Stamp::kHtmlReadyTime); }

    // A copy of the captured markup, taken under the markup's lock. After HtmlReady was
    // seen true, it holds that delivery's markup whole (or a later delivery's).
    std::u16string CapturedHtml() const;

    // ---- The GUI thread (the page run and the batch) ----

    // PageLoaded = false.
    void ResetPageLoaded();
    // LoadStage1, LoadStage2, LoadStage3 = false, in this order.
    void ResetLoadStages();
    // HtmlReady = false.
    void ResetHtmlReady();
    // Sets a time stamp, when a wait starts.
    void SetTime(Stamp stamp, Timestamp now);
    // Replaces the captured markup: by its cleaned form after storing, by an empty text
    // when a batch starts.
    void SetCapturedHtml(std::u16string markup);

  private:
    static std::int64_t Ticks(Timestamp time) { return time.time_since_epoch().count(); }

    // Each written by the engine's thread (OnLoadEnd, OnMarkupDelivered) and by the GUI
    // thread (resets, start-of-wait time stamps); read by the GUI thread.
    std::atomic<bool> page_loaded_{false};
    std::atomic<bool> load_stage1_{false};
    std::atomic<bool> load_stage2_{false};
    std::atomic<bool> load_stage3_{false};
    std::atomic<bool> html_ready_{false};
    // Milliseconds since the clock's epoch; zero at start.
    std::atomic<std::int64_t> last_load_time_{0};
    std::atomic<std::int64_t> html_ready_time_{0};

    // Guards captured_html_.
    mutable std::mutex captured_html_lock_;
    // Written by the engine's thread (a delivery) and by the GUI thread (the cleaned form,
    // the batch's empty start); read by the GUI thread.
    std::u16string captured_html_;
};

}  // namespace quillmoor
