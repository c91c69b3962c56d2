#include "app/gui/program_application.h"

#include <QMessageBox>
#include <cstdio>
#include <utility>

namespace quillmoor {

ProgramApplication::ProgramApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool ProgramApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowError(UncaughtErrorMessage(std::current_exception()));
        return false;
    }
}

void ProgramApplication::ShowUncaughtError(const std::exception_ptr& error) {
    const QString message = UncaughtErrorMessage(error);
    if (auto* application = dynamic_cast<ProgramApplication*>(QCoreApplication::instance())) {
        application->ShowError(message);
        return;
    }
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

void ProgramApplication::ShowError(const QString& message) {
    if (error_box_) {
        error_box_(message);
        return;
    }
    QMessageBox::critical(activeWindow(), applicationName(), message);
}

QString UncaughtErrorMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& caught) {
        return QString::fromUtf8(caught.what());
    } catch (...) {
        return QStringLiteral("An unknown error occurred.");
    }
}

}  // namespace quillmoor
