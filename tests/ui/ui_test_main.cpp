// The windows' tests run in one application object, as the program does, drawn by Qt's
// offscreen platform unless another one is asked for, in the program's window theme.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/ui/scripted_dialogs.h"
#include "ui/window_font.h"
#include "ui/window_theme.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmoor"));
    quillmoor::UseWindowFont();
    quillmoor::testing::ScriptedDialogs dialogs;
    if (quillmoor::ApplyWindowTheme(application, dialogs) != quillmoor::ThemeResult::kApplied) {
        return 1;
    }
    return RUN_ALL_TESTS();
}
