// Performs a scripted session on the shown main window.
#pragma once

#include <QObject>
#include <vector>

#include "app/gui/session_dialogs.h"
#include "pipeline/session_script.h"

namespace quillmoor {

class TForm3;

class SessionRunner final : public QObject {
  public:
    // form and dialogs must outlive the runner. GUI thread.
    SessionRunner(std::vector<SessionStep> steps, TForm3& form, SessionDialogs& dialogs);

    // Performs the steps, in order, once the main loop runs.
    void Start();

  private:
    void Perform(const SessionStep& step);
    void Screenshot(const QString& path);

    std::vector<SessionStep> steps_;  // GUI thread
    TForm3& form_;                    // GUI thread
    SessionDialogs& dialogs_;         // GUI thread
};

}  // namespace quillmoor
