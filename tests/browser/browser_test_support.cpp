#include "tests/browser/browser_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>

namespace quillmoor::browser_test {

void EnsureQtApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "quillmoor_browser_tests";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() >= timeout.count()) {
            return condition();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}

}  // namespace quillmoor::browser_test
