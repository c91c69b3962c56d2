#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>

#include "tests/ui/shown_main_window.h"

namespace quillmoor::testing {
namespace {

using Answer = UserDialogs::Answer;

class FileList : public ShownMainWindow {
  protected:
    // The rows as "File|Path" texts, in list order.
    QStringList Rows() const {
        QStringList rows;
        for (int i = 0; i < form.FileCount(); ++i) {
            rows.append(form.FileName(i) + "|" + form.FilePath(i));
        }
        return rows;
    }

    QList<int> SelectedRows() const {
        QList<int> rows;
        for (int i = 0; i < form.ListView1->topLevelItemCount(); ++i) {
            if (form.ListView1->topLevelItem(i)->isSelected()) {
                rows.append(i + 1);
            }
        }
        return rows;
    }

    // Adds files through the Add File(s) button.
    void AddFiles(const QStringList& paths) {
        dialogs.files_to_choose = paths;
        Click(form.Button7);
    }

    // A person's click on a row, holding Ctrl to add it to the selection.
    void CtrlClickRow(int row) {
        QTreeWidgetItem* item = form.ListView1->topLevelItem(row);
        const QRect rect = form.ListView1->visualItemRect(item);
        QTest::mouseClick(form.ListView1->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          rect.center());
    }

    // The system's own style for a folder of the test: "<root>/site/" on POSIX systems.
    static QString Native(const QString& path) { return QDir::toNativeSeparators(path); }
};

TEST_F(FileList, IsAReportOfFileAndPath) {
    QTreeWidget* list = form.ListView1;
    EXPECT_EQ(list->headerItem()->text(0), "File");
    EXPECT_EQ(list->headerItem()->text(1), "Path");
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    // The two columns share the list's width.
    EXPECT_EQ(list->header()->sectionResizeMode(0), QHeaderView::Stretch);
    EXPECT_EQ(list->header()->sectionResizeMode(1), QHeaderView::Stretch);

    AddFiles({QDir::rootPath() + "site/a.html"});
    const QRect rect = list->visualItemRect(list->topLevelItem(0));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::keyClick(list, Qt::Key_F2);
    EXPECT_TRUE(list->findChildren<QLineEdit*>().isEmpty());
    EXPECT_EQ(form.FileName(0), "a.html");
}

TEST_F(FileList, AddFilesAppendsOneRowPerChosenFile) {
    const QString site = QDir::rootPath() + "site/";
    AddFiles({site + "a.html", site + "b.htm"});

    // The filter, exactly, in the file dialog's syntax, the first choice in force.
    EXPECT_EQ(dialogs.file_dialogs, 1);
    EXPECT_EQ(dialogs.filter,
              "HTML(*.html;*.htm) (*.html *.htm);;TXT(*.txt) (*.txt);;"
              "HTML(*.html;*.htm) TXT(*.txt) (*.html *.htm *.txt);;*.* (*)");
    EXPECT_EQ(dialogs.selected_filter, "HTML(*.html;*.htm) (*.html *.htm)");

    // The "Path" text in the system's own style, ending with its separator.
    const QString folder = Native(site);
    EXPECT_TRUE(folder.endsWith(QDir::separator()));
    EXPECT_EQ(Rows(), QStringList({"a.html|" + folder, "b.htm|" + folder}));

    // The same file again gives a second identical row; a file at the root of the system.
    AddFiles({site + "a.html", QDir::rootPath() + "c.txt"});
    EXPECT_EQ(Rows(), QStringList({"a.html|" + folder, "b.htm|" + folder, "a.html|" + folder,
                                   "c.txt|" + Native(QDir::rootPath())}));

    // Cancelled, or an empty file name: nothing changes.
    AddFiles({});
    AddFiles({QString()});
    EXPECT_EQ(form.FileCount(), 4);
    EXPECT_EQ(dialogs.file_dialogs, 4);
}

TEST_F(FileList, TheMenuAddsFilesEvenWhileTheButtonIsLocked) {
    form.SetInputsEnabled(InputsState::kDisabled);
    dialogs.files_to_choose = {QDir::rootPath() + "site/a.html"};
    form.AddFile1->trigger();
    EXPECT_EQ(dialogs.file_dialogs, 1);
    EXPECT_EQ(form.FileCount(), 1);
    // The locked button itself does nothing.
    Click(form.Button7);
    EXPECT_EQ(dialogs.file_dialogs, 1);
}

TEST_F(FileList, SelectAllNoneAndInverse) {
    AddFiles({"/1.html", "/2.html", "/3.html", "/4.html"});
    CtrlClickRow(0);
    CtrlClickRow(2);
    ASSERT_EQ(SelectedRows(), QList<int>({1, 3}));
    Click(form.Button4);
    EXPECT_EQ(SelectedRows(), QList<int>({2, 4}));
    Click(form.Button3);
    EXPECT_EQ(SelectedRows(), QList<int>({1, 2, 3, 4}));
    Click(form.Button8);
    EXPECT_EQ(SelectedRows(), QList<int>());
    Click(form.Button4);
    EXPECT_EQ(SelectedRows(), QList<int>({1, 2, 3, 4}));
}

TEST_F(FileList, DeletesAskFirst) {
    const struct {
        const char* name;
        int rows;
        QList<int> selected;  // 1-based
        bool all;
        Answer answer;
        QStringList left;
    } cases[] = {
        {"selected, Yes", 4, {1, 3}, false, Answer::kYes, {"2", "4"}},
        {"selected, No", 4, {1, 3}, false, Answer::kNo, {"1", "2", "3", "4"}},
        {"nothing selected, Yes", 3, {}, false, Answer::kYes, {"1", "2", "3"}},
        {"selected on an empty list, Yes", 0, {}, false, Answer::kYes, {}},
        {"all, Yes", 4, {2}, true, Answer::kYes, {}},
        {"all, No", 2, {}, true, Answer::kNo, {"1", "2"}},
        {"all on an empty list, Yes", 0, {}, true, Answer::kYes, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form.ListView1->clear();
        dialogs.asked.clear();
        QStringList files;
        for (int i = 1; i <= c.rows; ++i) {
            files.append(QStringLiteral("/%1").arg(i));
        }
        AddFiles(files);
        for (int row : c.selected) {
            form.ListView1->topLevelItem(row - 1)->setSelected(true);
        }
        dialogs.answers = {c.answer};
        Click(c.all ? form.Button6 : form.Button5);
        ASSERT_EQ(dialogs.asked.size(), 1u);
        EXPECT_EQ(dialogs.asked[0].text, c.all ? "Delete All Items?" : "Delete Select Items?");
        EXPECT_EQ(dialogs.asked[0].question, UserDialogs::Question::kYesNo);
        QStringList left;
        for (int i = 0; i < form.FileCount(); ++i) {
            left.append(form.FileName(i));
        }
        EXPECT_EQ(left, c.left);
    }
}

TEST_F(FileList, HiddenAddFolderShowsTheChosenFolderAndAddsNothing) {
    EXPECT_FALSE(form.Button1->isVisible());
    EXPECT_FALSE(form.AddAllFilesFromFolder1->isVisible());
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());

    // Cancelled.
    form.AddAllFilesFromFolder1->trigger();
    EXPECT_EQ(dialogs.folder_dialogs, 1);
#ifdef _WIN32
    EXPECT_EQ(dialogs.start_folder, "C:\\Windows");
#else
    EXPECT_EQ(dialogs.start_folder, "/");
#endif
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // A folder that exists.
    dialogs.folder_to_choose = temp.path();
    form.Button1Click();
    EXPECT_EQ(dialogs.messages, QStringList({Native(temp.path())}));

    // A new folder: created after a Yes, left alone after a No.
    const QString fresh = temp.path() + "/new/inner";
    dialogs.folder_to_choose = fresh;
    dialogs.answers = {Answer::kNo, Answer::kYes};
    form.Button1Click();
    EXPECT_FALSE(QDir(fresh).exists());
    EXPECT_EQ(dialogs.messages.size(), 1);
    form.Button1Click();
    EXPECT_TRUE(QDir(fresh).exists());
    EXPECT_EQ(dialogs.messages.value(1), Native(fresh));
    EXPECT_EQ(form.FileCount(), 0);
}

}  // namespace
}  // namespace quillmoor::testing
