// The main window of the Win32 front end: the file list and the language grid on two tabs,
// the Translate, Pause and Cancel buttons, two progress lines and the main menu. Components
// carry their design names as members; the layout arithmetic is the toolkit-free one of
// pipeline/main_window_layout.h, shared with the Qt window.
//
// Everything here lives on and is used from the GUI thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "pipeline/inputs_state.h"
#include "pipeline/job_flags.h"
#include "platform/thread_owner.h"

namespace quillmoor::win {

class Dialogs;

// Which of the four pages of PageControl1 is in front.
enum class Sheet { kTabSheet1, kTabSheet2, kTabSheet3, kTabSheet4 };

class TForm3 {
  public:
    // The designed size of the window's client area, below the menu bar.
    static constexpr SIZE kClientSize{815, 629};

    // Menu item commands.
    static constexpr UINT AddFile1 = 40001;
    static constexpr UINT AddAllFilesFromFolder1 = 40002;  // hidden: never in the menu
    static constexpr UINT Exit1 = 40003;
    static constexpr UINT About1 = 40004;

    // Creates the window, centred on the desktop and not shown yet. dialogs and job_flags
    // must outlive the window; job_flags is the process's one pair, which the batch reads.
    TForm3(Dialogs& dialogs, JobFlags& job_flags);
    ~TForm3();
    TForm3(const TForm3&) = delete;
    TForm3& operator=(const TForm3&) = delete;

    // The top-level window.
    HWND Handle() const { return Form3; }

    // Shows the window and runs FormShow.
    void Show();
    // Gives the client area (below the menu bar) the size width by height.
    void SetClientSize(int width, int height);

    // What Translate and About do: the batch's place and the about window's, given by the
    // program. Without one the click does nothing.
    void SetTranslateHandler(std::function<void()> handler);
    void SetAboutHandler(std::function<void()> handler);

    // The job flags that Pause and Cancel set and the batch reads.
    JobFlags& Flags() { return job_flags_; }

    // Locks (kDisabled) or unlocks the file buttons and the language check boxes.
    void SetInputsEnabled(InputsState state);
    // The progress lines back to "0/0 ...", then the inputs unlocked.
    void ResetProgress();
    // The number of ticked language boxes (0 before the boxes exist).
    int CountCheckedLanguages() const;
    // Ticks or unticks the language box of index (which must exist).
    void SetLanguageTicked(std::size_t index, bool ticked);
    bool IsLanguageTicked(std::size_t index) const;

    // The job buttons and flags as a batch sets them when it starts and when it ends
    // normally.
    void JobStarted();
    void JobEndedNormally();

    // The file list as the batch reads it: rows in the order added.
    int FileCount() const;
    std::u16string FileName(int row) const;  // the "File" text
    std::u16string FilePath(int row) const;  // the "Path" text, ending with the separator
    bool IsFileSelected(int row) const;
    void SetFileSelected(int row, bool selected);

    // The page in front, and bringing one to the front.
    Sheet ActiveSheet() const;
    void ShowSheet(Sheet sheet);

    // A window's text (a caption, a progress line, a text buffer); setting one.
    static std::u16string TextOf(HWND window);
    static void SetText(HWND window, std::u16string_view text);

    // Window events.
    void FormCreate();
    void FormShow();
    void FormResize();
    // Presses Cancel while a batch runs; never refuses the close.
    void FormCloseQuery();

    // Job buttons.
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

    // Components.
    HWND Form3 = nullptr;
    HWND Panel2 = nullptr;
    HWND PageControl1 = nullptr;
    HWND TabSheet1 = nullptr;
    HWND Panel4 = nullptr;
    HWND ListView1 = nullptr;
    HWND Panel5 = nullptr;
    HWND Button7 = nullptr;
    HWND Button1 = nullptr;
    HWND Button3 = nullptr;
    HWND Button8 = nullptr;
    HWND Button4 = nullptr;
    HWND Button5 = nullptr;
    HWND Button6 = nullptr;
    HWND TabSheet2 = nullptr;
    HWND Panel6 = nullptr;
    HWND ScrollBox1 = nullptr;
    HWND Panel7 = nullptr;
    HWND Button9 = nullptr;
    HWND Button10 = nullptr;
    HWND Button11 = nullptr;
    HWND TabSheet3 = nullptr;
    HWND Memo1 = nullptr;
    HWND TabSheet4 = nullptr;
    HWND Memo2 = nullptr;
    HWND Panel8 = nullptr;
    HWND btnTranslate = nullptr;
    HWND btnPause = nullptr;
    HWND btnCancel = nullptr;
    HWND Panel3 = nullptr;
    HWND lbl1 = nullptr;
    HWND lbl2 = nullptr;
    HMENU MainMenu1 = nullptr;
    HMENU File1 = nullptr;
    HMENU Help1 = nullptr;

    // The language check boxes, one slot per catalogue entry, created on the first resize.
    std::vector<HWND> LanguageBoxes;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
    void Command(UINT id);
    LRESULT ControlColour(HDC dc, HWND control);

    void BuildFrame();
    void BuildFileTab();
    void BuildLanguageTab();
    void BuildMemoTabs();
    void BuildMenu();
    HWND MakeButton(HWND parent, const wchar_t* caption, int id, int top, int width, int height);
    void LayoutFrame();
    void PlaceButtons();
    void PlaceLanguageBoxes();
    void AddFileRows(const std::vector<std::u16string>& full_paths);

    ThreadOwner gui_thread_;
    Dialogs& dialogs_;                         // GUI thread
    JobFlags& job_flags_;                      // written on the GUI thread
    HFONT font_ = nullptr;                     // GUI thread; Tahoma 8 points
    std::function<void()> translate_handler_;  // GUI thread
    std::function<void()> about_handler_;      // GUI thread
};

}  // namespace quillmoor::win
