// The program's Qt application: the toolkit, and the general error box at the top of its
// event dispatch.
#pragma once

#include <QApplication>
#include <QString>
#include <exception>
#include <functional>

namespace quillmoor {

class ProgramApplication final : public QApplication {
  public:
    // Shows the message of an error that no handler caught; returns when it is closed.
    using ErrorBox = std::function<void(const QString& message)>;

    ProgramApplication(int& argc, char** argv);

    // The box for errors that no handler caught; a plain Qt message box until one is set.
    // GUI thread.
    void SetErrorBox(ErrorBox box) { error_box_ = std::move(box); }

    // Dispatches every event. An error thrown by a handler and caught by none ends that
    // handler: its message is shown in the general error box and the event loop goes on
    // (the event counts as not handled).
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the error that error names in the general error box of the running
    // application (on standard error when there is none). For handlers that stop errors
    // before they unwind through the toolkit's own code. GUI thread.
    static void ShowUncaughtError(const std::exception_ptr& error);

  private:
    void ShowError(const QString& message);

    ErrorBox error_box_;  // GUI thread
};

// The message of an error as the general error box shows it.
QString UncaughtErrorMessage(const std::exception_ptr& error);

}  // namespace quillmoor
