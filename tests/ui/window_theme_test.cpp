#include <QApplication>
#include <QImage>

#include "tests/ui/shown_main_window.h"
#include "ui/tfrm_about.h"
#include "ui/window_theme.h"

namespace quillmoor::testing {
namespace {

const QColor kSlate(0x4f, 0x5b, 0x66);

// The test program applies the theme at its start, as the program does.
TEST(WindowTheme, DrawsEveryWindowInSlateGray) {
    ScriptedDialogs dialogs;
    JobFlags flags;
    TForm3 form(dialogs, flags);
    TfrmAbout about(dialogs);
    form.show();
    about.ShowAbout();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));

    // A bare spot of the file tab's button panel, left of its first button.
    const QImage panel = form.Panel5->grab().toImage();
    EXPECT_EQ(panel.pixelColor(form.Button7->x() / 2, panel.height() / 2), kSlate);
    const QImage job_panel = form.Panel3->grab().toImage();
    EXPECT_EQ(job_panel.pixelColor(4, job_panel.height() - 4), kSlate);
    const QImage about_image = about.grab().toImage();
    EXPECT_EQ(about_image.pixelColor(about_image.width() / 2, 4), kSlate);
    // Light text on it.
    EXPECT_GT(form.lbl1->palette().color(QPalette::WindowText).lightness(), 200);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST(WindowTheme, ThatCannotBeAppliedIsReportedAndTheStartGoesOn) {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_NE(application, nullptr);
    const QString sheet_before = application->styleSheet();
    ScriptedDialogs dialogs;
    EXPECT_EQ(ApplyWindowTheme(*application, dialogs, ":/quillmoor/theme/missing.qss"),
              ThemeResult::kNotApplied);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].startsWith("Error: "));
    EXPECT_TRUE(dialogs.errors[0].contains("Windows10 SlateGray"));
    EXPECT_TRUE(dialogs.errors[0].contains("missing.qss"));
    EXPECT_EQ(application->styleSheet(), sheet_before);

    JobFlags flags;
    TForm3 form(dialogs, flags);
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
}

}  // namespace
}  // namespace quillmoor::testing
