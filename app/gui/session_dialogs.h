// The dialogs of a scripted session: nothing waits for a person. Every box is written to
// the session's log with the answer it got.
#pragma once

#include <QFile>
#include <QStringList>
#include <deque>

#include "ui/user_dialogs.h"

namespace quillmoor {

class SessionDialogs final : public UserDialogs {
  public:
    // Writes the log to path (replaced); an empty path writes none. GUI thread.
    void OpenLog(const QString& path);
    // The answer to the next question that comes.
    void QueueAnswer(Answer answer) { answers_.push_back(answer); }
    // What the next open dialog answers with.
    void QueueChosenFile(const QString& path) { chosen_files_ = QStringList{path}; }
    // Writes a line of the session's own to the log.
    void Note(const QString& line);

    // OpenLink logs the link instead of opening it: there is nobody to look at it.
    QUILLMOOR_USER_DIALOGS_OVERRIDES;

  private:
    QFile log_;                   // GUI thread
    std::deque<Answer> answers_;  // GUI thread
    QStringList chosen_files_;    // GUI thread
};

}  // namespace quillmoor
