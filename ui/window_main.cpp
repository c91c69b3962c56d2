// A window-only start of the program: the theme, the main window and the about window,
// without the browser engine. The batch is not part of this build; Translate says so.
#include <QApplication>

#include "ui/desktop_dialogs.h"
#include "ui/tform3.h"
#include "ui/tfrm_about.h"
#include "ui/window_font.h"
#include "ui/window_theme.h"

int main(int argc, char** argv) {
    using namespace quillmoor;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmoor"));

    UseWindowFont();
    DesktopDialogs dialogs;
    ApplyWindowTheme(application, dialogs);

    TForm3 form(dialogs);
    TfrmAbout about(dialogs);
    QObject::connect(&form, &TForm3::aboutRequested, &about, &TfrmAbout::ShowAbout);
    QObject::connect(&form, &TForm3::translateRequested, &form, [&form, &dialogs] {
        dialogs.ShowMessage(&form, QStringLiteral("The translation batch is not part of this "
                                                  "build yet."));
    });
    form.show();
    application.exec();
    return 0;
}
