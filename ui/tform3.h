// The main window: the file list and the language grid on two tabs, the Translate, Pause
// and Cancel buttons, two progress lines and the main menu. Components carry their design
// names, as members and as object names.
//
// Everything here lives on and is used from the GUI thread only.
#pragma once

#include <QMainWindow>
#include <QSize>
#include <QString>
#include <vector>

#include "pipeline/inputs_state.h"
#include "pipeline/job_flags.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QTreeWidget;
class QWidget;

namespace quillmoor {

class UserDialogs;

class TForm3 : public QMainWindow {
    Q_OBJECT

  public:
    // The designed size of the window's client area, below the menu bar.
    static constexpr QSize kClientSize{815, 629};

    // job_flags: the process's one pair of job flags, which the batch reads.
    TForm3(UserDialogs& dialogs, JobFlags& job_flags, QWidget* parent = nullptr);
    ~TForm3() override;

    // The job flags that Pause and Cancel set and the batch reads.
    JobFlags& Flags() { return job_flags_; }
    const JobFlags& Flags() const { return job_flags_; }

    // Locks (kDisabled) or unlocks the file buttons and the language check boxes.
    void SetInputsEnabled(InputsState state);
    // The progress lines back to "0/0 ...", then the inputs unlocked.
    void ResetProgress();
    // The number of ticked language boxes (0 before the boxes exist).
    int CountCheckedLanguages() const;

    // The job buttons and flags as a batch sets them when it starts and when it ends
    // normally.
    void JobStarted();
    void JobEndedNormally();

    // The file list as the batch reads it: rows in the order added.
    int FileCount() const;
    QString FileName(int row) const;  // the "File" text
    QString FilePath(int row) const;  // the "Path" text, ending with the separator

    // Window events.
    void FormCreate();
    void FormShow();
    void FormResize();
    // Presses Cancel while a batch runs; never refuses the close.
    void FormCloseQuery();

    // Job buttons. The batch itself is not here: Translate only signals translateRequested.
    void btnTranslateClick();
    void btnPauseClick();
    void btnCancelClick();

    // Menu.
    void AddFile1Click();
    void AddAllFilesFromFolder1Click();
    void Exit1Click();
    void About1Click();

    // File tab.
    void Button7Click();  // Add File(s)
    void Button1Click();  // Add Folder (hidden)
    void Button3Click();  // Select All
    void Button8Click();  // Select None
    void Button4Click();  // Inverse Select
    void Button5Click();  // Delete Selected
    void Button6Click();  // Delete All

    // Language tab.
    void Button9Click();   // Select All
    void Button10Click();  // Select None
    void Button11Click();  // Inverse Select

    // Widgets that hold the components but are none themselves: the client area below the
    // menu bar, and the scrolled area that holds the language boxes.
    QWidget* Client = nullptr;
    QWidget* ScrollBox1Contents = nullptr;

    // Components.
    QFrame* Panel2 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QFrame* Panel4 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QFrame* Panel5 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QFrame* Panel6 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QFrame* Panel7 = nullptr;
    QPushButton* Button9 = nullptr;
    QPushButton* Button10 = nullptr;
    QPushButton* Button11 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QWidget* TabSheet4 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QFrame* Panel8 = nullptr;
    QPushButton* btnTranslate = nullptr;
    QPushButton* btnPause = nullptr;
    QPushButton* btnCancel = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* lbl1 = nullptr;
    QLabel* lbl2 = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;
    QAction* AddFile1 = nullptr;
    QAction* AddAllFilesFromFolder1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* About1 = nullptr;

    // The language check boxes, one slot per catalogue entry, created on the first resize.
    std::vector<QCheckBox*> LanguageBoxes;

  Q_SIGNALS:
    // Translate was pressed: the batch's place.
    void translateRequested();
    // About was chosen: the about window is to be shown.
    void aboutRequested();

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildFrame();
    void BuildFileTab();
    void BuildLanguageTab();
    void BuildMemoTabs();
    void BuildMenu();
    void PlaceButtons();
    void PlaceLanguageBoxes();
    void AddFileRows(const QStringList& full_paths);
    void CentreOnScreen();

    UserDialogs& dialogs_;
    JobFlags& job_flags_;
    bool centred_ = false;  // centred with the frame's real size, at the first show
};

}  // namespace quillmoor
