// Pictures of the windows as a person sees them, kept in the build folder's screenshots/.
#include <QDir>
#include <QImage>
#include <QScrollArea>

#include "tests/ui/shown_main_window.h"
#include "ui/tfrm_about.h"

namespace quillmoor::testing {
namespace {

QString ScreenshotPath(const char* name) {
    QDir().mkpath(QStringLiteral(QUILLMOOR_SCREENSHOT_DIR));
    return QStringLiteral(QUILLMOOR_SCREENSHOT_DIR "/%1.png").arg(QString::fromLatin1(name));
}

// Saves what the window shows, frame excluded, and checks that something was drawn.
void Save(QWidget& window, const char* name) {
    const QImage image = window.grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(ScreenshotPath(name))) << name;
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 7) {
            colours.insert(image.pixel(x, y));
        }
    }
    EXPECT_GT(colours.size(), 4) << name << " looks blank";
}

using Screenshots = ShownMainWindow;

TEST_F(Screenshots, MainWindowOnBothTabsAndTheAboutWindow) {
    const QString site = QDir::rootPath() + "site/";
    dialogs.files_to_choose = {site + "index.html", site + "about.htm", site + "notes.txt",
                               QDir::rootPath() + "home/user/pages/contact.html"};
    Click(form.Button7);
    form.ListView1->topLevelItem(1)->setSelected(true);
    form.lbl1->setText("1/4 File(s)");
    form.lbl2->setText("3/5 Language(s)");
    Save(form, "main_window_file_tab");

    ShowTab(form.TabSheet2);
    for (int i : {0, 14, 26, 30, 45}) {
        form.LanguageBoxes[i]->setChecked(true);
    }
    Save(form, "main_window_language_tab");

    form.SetInputsEnabled(InputsState::kDisabled);
    form.JobStarted();
    Click(form.btnPause);
    Save(form, "main_window_language_tab_during_a_batch");

    TfrmAbout about(dialogs);
    about.ShowAbout();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    Save(about, "about_window");
}

}  // namespace
}  // namespace quillmoor::testing
