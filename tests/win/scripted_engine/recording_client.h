// A client for the browsers of the scripted engine that records what the engine tells it:
// browsers created and closed, window requests (answered as the test says), load starts,
// ends and errors, with the thread each came on. A test waits for what it expects with
// Recorder::WaitUntil. Optionally it passes load ends on to job signals, as the program's
// browser window does.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine_object.h"
#include "engine/held_reference.h"
#include "pipeline/job_signals.h"
#include "pipeline/run_clock.h"
#include "startup/engine_entry_points.h"

namespace quillmoor::scripted_engine_test {

struct Event {
    enum class Kind { kCreated, kLoadStart, kLoadEnd, kLoadError, kPopup, kDoClose, kBeforeClose };
    explicit Event(Kind what) : kind(what) {}

    Kind kind;
    int browser = 0;
    bool popup_browser = false;
    bool main_frame = false;
    std::u16string url;   // the frame's address; the target's for a window request
    std::u16string name;  // the frame's name; the target's for a window request
    int status = 0;       // the HTTP status of a load end, the error code of a load error
    int disposition = 0;  // of a window request
    std::thread::id thread;
};

class Recorder {
  public:
    // The engine's functions, for freeing the strings it hands out.
    explicit Recorder(const EngineEntryPoints& engine) : engine_(engine) {}

    std::vector<Event> Events() const;
    std::vector<Event> EventsOf(Event::Kind kind) const;
    // Load ends of frames other than the main frame.
    int SubFrameLoadEnds() const;
    int MainFrameLoadEnds() const;
    // The browsers reported created, in order (the recorder keeps a reference to each).
    std::vector<HeldReference<cef_browser_t>> Browsers() const;
    // Gives back the references to the browsers.
    void ForgetBrowsers();

    // Waits until done() (asked under no lock) or limit; pump (if given) runs between the
    // questions, on the waiting thread.
    bool WaitUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds limit = std::chrono::seconds(20),
                   const std::function<void()>& pump = {}) const;

    // Whether window requests are cancelled (the program's browser window cancels new tabs,
    // popups and windows).
    std::atomic<bool> cancel_popups{true};
    // Where load ends go as well, as the program's browser window sends them (both set or
    // neither).
    JobSignals* signals = nullptr;
    RunClock* clock = nullptr;

    // ---- Called by the client's handlers ----
    void Note(Event event, cef_browser_t* browser, cef_frame_t* frame);
    void Keep(cef_browser_t* browser);
    std::u16string TakeString(cef_string_userfree_t text) const;

  private:
    const EngineEntryPoints& engine_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Event> events_;
    std::vector<HeldReference<cef_browser_t>> browsers_;
};

// A new client (with its first reference, for the engine) whose life-span and load handlers
// record into the recorder.
cef_client_t* NewRecordingClient(std::shared_ptr<Recorder> recorder);

}  // namespace quillmoor::scripted_engine_test
