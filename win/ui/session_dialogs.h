// The dialogs of a scripted session of the Win32 program: nothing waits for a person. Every
// box is written to the session's log (UTF-8, one line each) with the answer it got, in the
// same words as the Qt program's session log.
#pragma once

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform/thread_owner.h"
#include "win/ui/dialogs.h"

namespace quillmoor::win {

class SessionDialogs final : public Dialogs {
  public:
    SessionDialogs() = default;
    ~SessionDialogs() override;
    SessionDialogs(const SessionDialogs&) = delete;
    SessionDialogs& operator=(const SessionDialogs&) = delete;

    // Writes the log to path (replaced); an empty path writes none. GUI thread.
    void OpenLog(const std::u16string& path);
    // The answer to the next question that comes.
    void QueueAnswer(Answer answer);
    // What the next open dialog answers with.
    void QueueChosenFile(const std::u16string& path);
    // Writes a line of the session's own to the log.
    void Note(std::u16string_view line);

    // OpenLink logs the link instead of opening it: there is nobody to look at it.
    QUILLMOOR_WIN_DIALOGS_OVERRIDES;

  private:
    ThreadOwner gui_thread_;
    std::FILE* log_ = nullptr;                  // GUI thread
    std::deque<Answer> answers_;                // GUI thread
    std::vector<std::u16string> chosen_files_;  // GUI thread
};

}  // namespace quillmoor::win
