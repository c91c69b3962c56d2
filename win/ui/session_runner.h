// Performs a scripted session (pipeline/session_script.h) on the shown Win32 main window,
// over the same script words as the Qt program.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "pipeline/session_script.h"
#include "platform/thread_owner.h"

namespace quillmoor::win {

class SessionDialogs;
class TForm3;

class SessionRunner {
  public:
    // form and dialogs must outlive the runner. GUI thread.
    SessionRunner(std::vector<SessionStep> steps, TForm3& form, SessionDialogs& dialogs);
    ~SessionRunner();
    SessionRunner(const SessionRunner&) = delete;
    SessionRunner& operator=(const SessionRunner&) = delete;

    // Performs the steps, in order, once the thread's message loop runs.
    void Start();

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void RunSteps();
    void Perform(const SessionStep& step);
    void Screenshot(const std::u16string& path);
    // A step whose time has come: a screenshot or a press of Pause or Cancel.
    void PerformDue(const SessionStep& step);

    ThreadOwner gui_thread_;
    std::vector<SessionStep> steps_;  // GUI thread
    TForm3& form_;                    // GUI thread
    SessionDialogs& dialogs_;         // GUI thread
    HWND timers_ = nullptr;           // GUI thread; a message-only window for the timers
    UINT_PTR next_timer_ = 1;         // GUI thread
    // GUI thread; the steps still to come at a time (screenshots, presses), by timer.
    std::vector<std::pair<UINT_PTR, SessionStep>> steps_due_;
};

// The session named by the environment variable QUILLMOOR_SESSION_SCRIPT, if any. A script
// that cannot be read or is not sound is reported on standard error and left out.
std::optional<SessionScript> SessionFromEnvironment();

}  // namespace quillmoor::win
