#include <QAction>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <map>
#include <set>

#include "pipeline/main_window_layout.h"
#include "tests/ui/shown_main_window.h"

namespace quillmoor::testing {
namespace {

using MainWindow = ShownMainWindow;

TEST_F(MainWindow, OpensAsDesigned) {
    EXPECT_EQ(form.windowTitle(), "Quillmoor");
    EXPECT_EQ(form.Client->size(), QSize(815, 629));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Centred; the offscreen screen (800 x 600) is smaller than the window, whose frame the
    // platform may nudge by its border.
    EXPECT_LE(std::abs(form.frameGeometry().center().x() - screen.center().x()), 2);
    EXPECT_LE(std::abs(form.frameGeometry().center().y() - screen.center().y()), 2);
    EXPECT_FALSE(form.minimumSize().width() > 0 && form.minimumSize() == form.maximumSize());

    // Every component under its design name.
    for (const char* name :
         {"Panel2",       "PageControl1", "TabSheet1", "Panel4",    "ListView1",
          "Panel5",       "Button7",      "Button1",   "Button3",   "Button8",
          "Button4",      "Button5",      "Button6",   "TabSheet2", "Panel6",
          "ScrollBox1",   "Panel7",       "Button9",   "Button10",  "Button11",
          "TabSheet3",    "Memo1",        "TabSheet4", "Memo2",     "Panel8",
          "btnTranslate", "btnPause",     "btnCancel", "Panel3",    "lbl1",
          "lbl2",         "MainMenu1",    "File1",     "AddFile1",  "AddAllFilesFromFolder1",
          "Exit1",        "About1"}) {
        EXPECT_NE(form.findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    }

    // Two tabs to see, the text buffers' pages kept behind hidden tabs.
    ASSERT_EQ(form.PageControl1->count(), 4);
    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet1);
    EXPECT_EQ(form.PageControl1->tabText(0), "File");
    EXPECT_EQ(form.PageControl1->tabText(1), "Language");
    EXPECT_TRUE(form.PageControl1->isTabVisible(0));
    EXPECT_TRUE(form.PageControl1->isTabVisible(1));
    EXPECT_FALSE(form.PageControl1->isTabVisible(2));
    EXPECT_FALSE(form.PageControl1->isTabVisible(3));
    EXPECT_EQ(form.Memo1->parentWidget(), form.TabSheet3);
    EXPECT_EQ(form.Memo2->parentWidget(), form.TabSheet4);
    EXPECT_EQ(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    // Panels and their heights.
    EXPECT_EQ(form.Panel8->height(), 41);
    EXPECT_EQ(form.Panel3->height(), 49);
    EXPECT_EQ(form.Panel5->height(), 37);
    EXPECT_EQ(form.Panel3->geometry().bottom(), form.Client->height() - 1);
    EXPECT_EQ(form.Panel8->geometry().bottom() + 1, form.Panel3->y());
    EXPECT_EQ(form.Panel2->geometry().bottom() + 1, form.Panel8->y());
    EXPECT_EQ(form.btnTranslate->text(), "Translate");
    EXPECT_EQ(form.btnPause->text(), "Pause");
    EXPECT_EQ(form.btnCancel->text(), "Cancel");

    // Progress lines: full width, 13 high, stacked, centred, empty at start.
    EXPECT_EQ(form.lbl1->height(), 13);
    EXPECT_EQ(form.lbl2->y(), form.lbl1->y() + 13);
    EXPECT_GE(form.lbl1->width(), form.Panel3->width() - 2);
    EXPECT_TRUE(form.lbl1->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(form.lbl1->text().isEmpty());
    EXPECT_TRUE(form.lbl2->text().isEmpty());

    // The menu: File with Add File(s), the hidden Add Folder and Exit; About in a second.
    const QList<QAction*> top = form.MainMenu1->actions();
    ASSERT_EQ(top.size(), 2);
    EXPECT_EQ(top[0]->text(), "File");
    EXPECT_EQ(top[1]->menu(), form.Help1);
    const QList<QAction*> file = form.File1->actions();
    ASSERT_EQ(file.size(), 3);
    EXPECT_EQ(file[0]->text(), "Add File(s)");
    EXPECT_EQ(file[1]->text(), "Add Folder");
    EXPECT_FALSE(file[1]->isVisible());
    EXPECT_EQ(file[2]->text(), "Exit");
    EXPECT_EQ(form.Help1->actions().value(0)->text(), "About");

    // Tahoma 8 pt for the whole window; on Debian Wine's Tahoma (fonts-wine) stands in for
    // it, and DejaVu Sans where neither is installed.
    for (QWidget* w : std::initializer_list<QWidget*>{form.btnTranslate, form.lbl1, form.ListView1,
                                                      form.PageControl1, form.MainMenu1}) {
        const QFontInfo used(w->font());
        EXPECT_EQ(used.pointSize(), 8) << w->objectName().toStdString();
        EXPECT_TRUE(used.family() == "Tahoma" || used.family() == "DejaVu Sans")
            << used.family().toStdString();
    }
}

TEST_F(MainWindow, ButtonsOfTheDesignedWindow) {
    EXPECT_EQ(form.Panel5->width(), 805);
    EXPECT_EQ(form.Panel8->width(), 815);
    std::vector<int> lefts;
    for (QPushButton* b :
         {form.Button7, form.Button3, form.Button8, form.Button4, form.Button5, form.Button6}) {
        lefts.push_back(b->x());
        EXPECT_EQ(b->y(), 6);
        EXPECT_EQ(b->size(), QSize(92, 25));
    }
    EXPECT_EQ(lefts, (std::vector<int>{76, 188, 300, 412, 524, 636}));
    EXPECT_EQ(form.Button1->x(), 76);
    EXPECT_FALSE(form.Button1->isVisible());
    for (QPushButton* b : {form.btnTranslate, form.btnPause, form.btnCancel}) {
        EXPECT_EQ(b->width(), 203);
        EXPECT_EQ(b->height(), 39);
    }
    EXPECT_EQ(form.btnPause->x(), form.btnTranslate->x() + 203);
    EXPECT_EQ(form.btnCancel->x(), form.btnPause->x() + 203);

    ShowTab(form.TabSheet2);
    EXPECT_EQ(form.Panel7->width(), 805);
    EXPECT_EQ(form.Button9->x(), 262);
    EXPECT_EQ(form.Button10->x(), 362);
    EXPECT_EQ(form.Button11->x(), 462);
    EXPECT_EQ(form.Button10->size(), QSize(80, 25));
}

TEST_F(MainWindow, ButtonsFollowTheWindowSize) {
    ResizeClient(1015, 500);
    ShowTab(form.TabSheet2);
    ASSERT_EQ(form.Panel5->width(), 1005);
    EXPECT_EQ(form.Button8->x(), 502 - 92 - 10);
    EXPECT_EQ(form.Button7->x(), 400 - 2 * (92 + 20));
    EXPECT_EQ(form.Button6->x(), 400 + 3 * (92 + 20));
    EXPECT_EQ(form.Button10->x(), (1005 - 80) / 2);
    EXPECT_EQ(form.btnTranslate->width(), 1015 / 4);
    // Tops and heights stay as designed.
    EXPECT_EQ(form.Button6->geometry(), QRect(form.Button6->x(), 6, 92, 25));
    EXPECT_EQ(form.btnCancel->height(), 39);

    // Narrower than the rows: the places run off the left edge as the arithmetic says.
    ResizeClient(300, 400);
    const FileButtonLefts narrow =
        PlaceFileButtons(form.Panel5->width(), {92, 92, 92, 92, 92, 92, 92}, 20);
    EXPECT_EQ(form.Button7->x(), narrow.add_files);
    EXPECT_EQ(form.Button6->x(), narrow.delete_all);
    EXPECT_EQ(form.btnTranslate->width(), 75);
}

TEST_F(MainWindow, SetInputsEnabledTouchesExactlyTheNamedControls) {
    const auto snapshot = [this] {
        std::map<QString, bool> states;
        int unnamed = 0;
        for (QWidget* w : form.findChildren<QWidget*>()) {
            const QString key =
                w->objectName().isEmpty() ? QStringLiteral("#%1").arg(unnamed++) : w->objectName();
            states[key] = w->isEnabled();
        }
        for (QAction* a : form.findChildren<QAction*>()) {
            states[QStringLiteral("action ") + a->objectName() + a->text()] = a->isEnabled();
        }
        for (int i = 0; i < form.PageControl1->count(); ++i) {
            states[QStringLiteral("tab %1").arg(i)] = form.PageControl1->isTabEnabled(i);
        }
        return states;
    };
    const auto changed = [](const std::map<QString, bool>& a, const std::map<QString, bool>& b) {
        std::set<QString> names;
        for (const auto& [name, enabled] : a) {
            if (b.at(name) != enabled) {
                names.insert(name);
            }
        }
        return names;
    };

    std::set<QString> expected = {"Button7", "Button1", "Button3", "Button8",
                                  "Button4", "Button5", "Button6"};
    for (QCheckBox* box : form.LanguageBoxes) {
        expected.insert(box->objectName());
    }
    ASSERT_EQ(expected.size(), 7u + 104u);

    form.JobStarted();  // as in a batch: the job buttons' states must not matter
    const auto before = snapshot();
    form.SetInputsEnabled(InputsState::kDisabled);
    const auto locked = snapshot();
    EXPECT_EQ(changed(before, locked), expected);

    // The language buttons stay usable and tick the locked boxes.
    Click(form.Button9);
    EXPECT_EQ(form.CountCheckedLanguages(), 104);

    form.ResetProgress();
    EXPECT_EQ(form.lbl1->text(), "0/0 File(s)");
    EXPECT_EQ(form.lbl2->text(), "0/0 Language(s)");
    EXPECT_TRUE(changed(before, snapshot()).empty());
}

}  // namespace
}  // namespace quillmoor::testing
