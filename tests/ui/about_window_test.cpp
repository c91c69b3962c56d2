#include <QAction>
#include <QApplication>
#include <QLabel>

#include "tests/ui/shown_main_window.h"
#include "ui/tfrm_about.h"

namespace quillmoor::test_support {
namespace {

class AboutWindow : public ShownMainWindow {
  protected:
    AboutWindow() : about(dialogs) {
        QObject::connect(&form, &TForm3::aboutRequested, &about, &TfrmAbout::ShowAbout);
    }
    TfrmAbout about;
};

TEST_F(AboutWindow, OpensFromTheMenuWithoutBlockingTheMainWindow) {
    EXPECT_FALSE(about.isVisible());
    form.About1->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    EXPECT_FALSE(about.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // The main window still answers.
    QTest::mouseClick(form.btnTranslate, Qt::LeftButton);
    form.Button3Click();

    // Small and fixed in size.
    EXPECT_EQ(about.size(), TfrmAbout::kSize);
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    about.resize(600, 500);
    EXPECT_EQ(about.size(), TfrmAbout::kSize);

    EXPECT_FALSE(about.Picture->pixmap().isNull());
    EXPECT_EQ(about.ProductName->text(), "Quillmoor");
    EXPECT_EQ(about.Version->text(), "Version: 8.8.8.8");
    EXPECT_TRUE(about.Copyright->text().contains("rights"));
    // Every label fits inside the window.
    for (QLabel* label : {about.ProductName, about.Version, about.Copyright, about.Links}) {
        EXPECT_TRUE(about.rect().contains(label->geometry())) << label->objectName().toStdString();
        EXPECT_GE(label->height(), label->heightForWidth(label->width()) > 0
                                       ? label->heightForWidth(label->width())
                                       : label->sizeHint().height());
    }

    // Its OK button closes it; the main window stays.
    QTest::mouseClick(about.OKButton, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(AboutWindow, LinksGoToTheDesktop) {
    about.ShowAbout();
    const QString text = about.Links->text();
    ASSERT_TRUE(text.contains("href=\"https://translate.google.com/\""));
    Q_EMIT about.Links->linkActivated(QStringLiteral("https://translate.google.com/"));
    ASSERT_EQ(dialogs.links.size(), 1u);
    EXPECT_EQ(dialogs.links[0], QUrl("https://translate.google.com/"));
    EXPECT_FALSE(about.Links->openExternalLinks());
}

}  // namespace
}  // namespace quillmoor::test_support
