// The Win32 main window on a virtual display: the layout at two sizes, the file list, the
// language grid, the job buttons and flags, and the batch's view of the window.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gmock/gmock.h>

#include "pipeline/language_catalogue.h"
#include "pipeline/main_window_layout.h"
#include "tests/win/ui/shown_main_window.h"
#include "win/ui/tform3_batch_view.h"

namespace quillmoor::win::test_support {
namespace {

using ::testing::ElementsAre;

using MainWindow = ShownMainWindow;

TEST_F(MainWindow, OpensWithItsTitleTheFileTabAndTheDesignedClientArea) {
    EXPECT_EQ(TForm3::TextOf(form.Form3), u"Quillmoor");
    EXPECT_EQ(form.ActiveSheet(), Sheet::kTabSheet1);
    // Only the two visible pages have tabs.
    EXPECT_EQ(TabCtrl_GetItemCount(form.PageControl1), 2);
    RECT client;
    GetClientRect(form.Form3, &client);
    EXPECT_EQ(client.right, 815);
    EXPECT_EQ(client.bottom, 629);
    EXPECT_FALSE(IsWindowVisible(form.Button1));
    EXPECT_TRUE(TForm3::TextOf(form.lbl1).empty());
    EXPECT_TRUE(TForm3::TextOf(form.lbl2).empty());
}

// The buttons and the language boxes where the arithmetic puts them, for the panels' widths
// as they are.
void ExpectLayoutOf(const TForm3& form) {
    const int gap = ButtonGap(Width(form.Button10));
    EXPECT_EQ(gap, 20);
    const int job_width = JobButtonWidth(Width(form.Panel8));
    int left = 1;
    for (HWND job : {form.btnTranslate, form.btnPause, form.btnCancel}) {
        EXPECT_EQ(Width(job), job_width);
        EXPECT_EQ(PlaceInParent(job).left, left);
        left += job_width;
    }

    const LanguageButtonLefts languages =
        PlaceLanguageButtons(Width(form.Panel7), {80, 80, 80}, gap);
    EXPECT_EQ(PlaceInParent(form.Button9).left, languages.select_all);
    EXPECT_EQ(PlaceInParent(form.Button10).left, languages.select_none);
    EXPECT_EQ(PlaceInParent(form.Button11).left, languages.inverse);
    EXPECT_EQ(PlaceInParent(form.Button10).top, 6);

    const FileButtonLefts files =
        PlaceFileButtons(Width(form.Panel5), {92, 92, 92, 92, 92, 92, 92}, gap);
    const std::pair<HWND, int> file_buttons[] = {
        {form.Button7, files.add_files},  {form.Button1, files.add_folder},
        {form.Button3, files.select_all}, {form.Button8, files.select_none},
        {form.Button4, files.inverse},    {form.Button5, files.delete_selected},
        {form.Button6, files.delete_all}};
    for (const auto& [button, expected] : file_buttons) {
        EXPECT_EQ(PlaceInParent(button).left, expected) << TForm3::TextOf(button).size();
        EXPECT_EQ(PlaceInParent(button).top, 6);
    }
    // Add File(s) takes the hidden Add Folder's place.
    EXPECT_EQ(PlaceInParent(form.Button7).left, PlaceInParent(form.Button1).left);

    const LanguageGrid grid = LanguageGridFor(Width(form.ScrollBox1));
    for (std::size_t i : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{103}}) {
        const BoxPlace place = LanguageBoxPlace(grid, i);
        const RECT box = PlaceInParent(form.LanguageBoxes.at(i));
        EXPECT_EQ(box.left, place.left) << i;
        EXPECT_EQ(box.top, place.top) << i;
    }
}

TEST_F(MainWindow, PlacesButtonsAndBoxesAsTheArithmeticSaysAtTwoSizes) {
    struct Size {
        int width;
        int height;
        int job_button_width;
    };
    // The designed size, and a wider one that takes a fourth language column.
    for (const Size size : {Size{815, 629, 203}, Size{1100, 700, 275}}) {
        SCOPED_TRACE(size.width);
        form.SetClientSize(size.width, size.height);
        Pump();
        EXPECT_EQ(Width(form.Panel8), size.width);
        EXPECT_EQ(Width(form.btnTranslate), size.job_button_width);
        ExpectLayoutOf(form);
    }
    form.SetClientSize(1100, 700);
    EXPECT_EQ(LanguageGridFor(Width(form.ScrollBox1)).columns, 4);
}

TEST_F(MainWindow, ANarrowWindowKeepsOneColumnInCatalogueOrder) {
    form.SetClientSize(300, 400);
    Pump();
    for (std::size_t i = 0; i + 1 < form.LanguageBoxes.size(); ++i) {
        EXPECT_EQ(PlaceInParent(form.LanguageBoxes[i]).left,
                  PlaceInParent(form.LanguageBoxes[i + 1]).left);
        EXPECT_LT(PlaceInParent(form.LanguageBoxes[i]).top,
                  PlaceInParent(form.LanguageBoxes[i + 1]).top);
    }
}

TEST_F(MainWindow, TheBoxesScrollWithTheScrollBox) {
    const int top_before = PlaceInParent(form.LanguageBoxes[0]).top;
    SendMessageW(form.ScrollBox1, WM_VSCROLL, SB_PAGEDOWN, 0);
    Pump();
    const int scrolled = GetScrollPos(form.ScrollBox1, SB_VERT);
    EXPECT_GT(scrolled, 0);
    EXPECT_EQ(PlaceInParent(form.LanguageBoxes[0]).top, top_before - scrolled);
    // A resize places the boxes again at the same scroll position.
    form.SetClientSize(900, 629);
    Pump();
    EXPECT_EQ(PlaceInParent(form.LanguageBoxes[0]).top, 8 - GetScrollPos(form.ScrollBox1, SB_VERT));
}

TEST_F(MainWindow, LanguageButtonsTickAllNoneAndTheOpposite) {
    ASSERT_EQ(form.LanguageBoxes.size(), LanguageNames().size());
    EXPECT_EQ(form.CountCheckedLanguages(), 0);
    Click(form.Button9);
    EXPECT_EQ(form.CountCheckedLanguages(), 104);
    Click(form.Button10);
    EXPECT_EQ(form.CountCheckedLanguages(), 0);
    for (std::size_t i : {0, 50, 103}) {
        form.SetLanguageTicked(i, true);
    }
    Click(form.Button11);
    EXPECT_EQ(form.CountCheckedLanguages(), 101);
    EXPECT_FALSE(form.IsLanguageTicked(50));
    EXPECT_TRUE(form.IsLanguageTicked(51));
}

TEST_F(MainWindow, TicksSurviveAResize) {
    Click(form.LanguageBoxes[0]);  // Afrikaans, ticked as the user ticks it
    form.SetLanguageTicked(103, true);
    form.SetClientSize(1000, 500);
    Pump();
    EXPECT_EQ(form.CountCheckedLanguages(), 2);
    EXPECT_TRUE(form.IsLanguageTicked(0));
}

TEST_F(MainWindow, SetInputsEnabledLocksTheFileButtonsAndTheBoxesOnly) {
    const HWND file_buttons[] = {form.Button7, form.Button1, form.Button3, form.Button8,
                                 form.Button4, form.Button5, form.Button6};
    const HWND untouched[] = {form.ListView1, form.Button9, form.Button10, form.Button11,
                              form.btnTranslate};
    form.SetInputsEnabled(InputsState::kDisabled);
    for (HWND button : file_buttons) {
        EXPECT_FALSE(IsWindowEnabled(button));
    }
    for (HWND box : form.LanguageBoxes) {
        EXPECT_FALSE(IsWindowEnabled(box));
    }
    for (HWND window : untouched) {
        EXPECT_TRUE(IsWindowEnabled(window));
    }
    // The language buttons still tick the locked boxes.
    Click(form.Button9);
    EXPECT_EQ(form.CountCheckedLanguages(), 104);

    form.ResetProgress();
    EXPECT_EQ(TForm3::TextOf(form.lbl1), u"0/0 File(s)");
    EXPECT_EQ(TForm3::TextOf(form.lbl2), u"0/0 Language(s)");
    for (HWND button : file_buttons) {
        EXPECT_TRUE(IsWindowEnabled(button));
    }
    EXPECT_TRUE(IsWindowEnabled(form.LanguageBoxes[103]));
}

struct JobState {
    bool translate;
    bool pause;
    bool cancel;
    bool operator==(const JobState&) const = default;
};

JobState JobButtonsOf(const TForm3& form) {
    return {IsWindowEnabled(form.btnTranslate) != FALSE, IsWindowEnabled(form.btnPause) != FALSE,
            IsWindowEnabled(form.btnCancel) != FALSE};
}

TEST_F(MainWindow, PauseAndCancelSetTheJobFlagsAndButtons) {
    EXPECT_EQ(JobButtonsOf(form), (JobState{true, false, false}));
    form.JobStarted();
    EXPECT_EQ(JobButtonsOf(form), (JobState{false, true, true}));

    Click(form.btnPause);
    EXPECT_TRUE(flags.PauseRequested());
    EXPECT_EQ(TForm3::TextOf(form.btnPause), u"Continue");
    Click(form.btnPause);
    EXPECT_FALSE(flags.PauseRequested());
    EXPECT_EQ(TForm3::TextOf(form.btnPause), u"Pause");

    // Cancel during a pause: the batch leaves its wait; the caption stays "Continue".
    Click(form.btnPause);
    Click(form.btnCancel);
    EXPECT_TRUE(flags.CancelRequested());
    EXPECT_FALSE(flags.PauseRequested());
    EXPECT_EQ(TForm3::TextOf(form.btnPause), u"Continue");
    EXPECT_EQ(JobButtonsOf(form), (JobState{true, false, false}));

    // The next batch: the first click only turns the caption back.
    form.JobStarted();
    EXPECT_FALSE(flags.CancelRequested());
    Click(form.btnPause);
    EXPECT_FALSE(flags.PauseRequested());
    EXPECT_EQ(TForm3::TextOf(form.btnPause), u"Pause");
    form.JobEndedNormally();
    EXPECT_EQ(JobButtonsOf(form), (JobState{true, false, false}));
}

TEST_F(MainWindow, ClosingDuringABatchPressesCancelAndEndsTheLoop) {
    form.JobStarted();
    SendMessageW(form.Form3, WM_CLOSE, 0, 0);
    EXPECT_TRUE(flags.CancelRequested());
    EXPECT_EQ(JobButtonsOf(form), (JobState{true, false, false}));
    EXPECT_TRUE(TakeQuit());
    // The window stays until its owner destroys it.
    EXPECT_TRUE(IsWindow(form.Form3));
}

TEST_F(MainWindow, ClosingWithoutABatchAndExitLeaveTheFlags) {
    SendMessageW(form.Form3, WM_CLOSE, 0, 0);
    EXPECT_FALSE(flags.CancelRequested());
    EXPECT_TRUE(TakeQuit());

    form.JobStarted();
    SendMessageW(form.Form3, WM_COMMAND, TForm3::Exit1, 0);
    EXPECT_TRUE(TakeQuit());
    EXPECT_FALSE(flags.CancelRequested());
    EXPECT_EQ(JobButtonsOf(form), (JobState{false, true, true}));
}

TEST_F(MainWindow, AddFilesAppendsOneRowPerChosenFileWithTheFilter) {
    dialogs.files_to_choose = {u"C:\\site\\a.html", u"C:\\site\\b.htm", u"D:\\a.html"};
    Click(form.Button7);
    ASSERT_EQ(dialogs.file_dialogs, 1);
    ASSERT_EQ(dialogs.filter.size(), 4u);
    EXPECT_EQ(dialogs.filter[0].caption, u"HTML(*.html;*.htm)");
    EXPECT_THAT(dialogs.filter[2].patterns, ElementsAre(u"*.html", u"*.htm", u"*.txt"));
    ASSERT_EQ(form.FileCount(), 3);
    EXPECT_EQ(form.FileName(0), u"a.html");
    EXPECT_EQ(form.FilePath(0), u"C:\\site\\");
    EXPECT_EQ(form.FileName(1), u"b.htm");
    EXPECT_EQ(form.FilePath(1), u"C:\\site\\");
    EXPECT_EQ(form.FilePath(2), u"D:\\");

    // The menu item reaches the same handler; the same file twice gives two rows.
    dialogs.files_to_choose = {u"C:\\site\\a.html"};
    SendMessageW(form.Form3, WM_COMMAND, TForm3::AddFile1, 0);
    ASSERT_EQ(form.FileCount(), 4);
    EXPECT_EQ(form.FileName(3), u"a.html");

    // A cancelled dialog, or one that answers with an empty name, changes nothing.
    for (const std::vector<std::u16string>& nothing :
         {std::vector<std::u16string>{}, std::vector<std::u16string>{u""}}) {
        dialogs.files_to_choose = nothing;
        Click(form.Button7);
        EXPECT_EQ(form.FileCount(), 4);
    }
}

class FileRows : public ShownMainWindow {
  protected:
    // Four rows, r0 to r3, with the rows whose index is in selected selected.
    void Fill(std::initializer_list<int> selected) {
        dialogs.files_to_choose = {u"C:\\r0", u"C:\\r1", u"C:\\r2", u"C:\\r3"};
        Click(form.Button7);
        for (int row : selected) {
            form.SetFileSelected(row, true);
        }
    }
    std::vector<std::u16string> Names() const {
        std::vector<std::u16string> names;
        for (int row = 0; row < form.FileCount(); ++row) {
            names.push_back(form.FileName(row));
        }
        return names;
    }
    std::vector<int> Selected() const {
        std::vector<int> rows;
        for (int row = 0; row < form.FileCount(); ++row) {
            if (form.IsFileSelected(row)) {
                rows.push_back(row);
            }
        }
        return rows;
    }
};

TEST_F(FileRows, SelectAllNoneAndInverse) {
    Fill({0, 2});
    Click(form.Button4);
    EXPECT_THAT(Selected(), ElementsAre(1, 3));
    Click(form.Button3);
    EXPECT_THAT(Selected(), ElementsAre(0, 1, 2, 3));
    Click(form.Button8);
    EXPECT_TRUE(Selected().empty());
}

TEST_F(FileRows, DeleteSelectedAsksAndRemovesOnlyOnYes) {
    Fill({1, 3});
    dialogs.answers = {Dialogs::Answer::kNo, Dialogs::Answer::kYes};
    Click(form.Button5);
    EXPECT_EQ(form.FileCount(), 4);
    Click(form.Button5);
    EXPECT_THAT(Names(), ElementsAre(u"r0", u"r2"));
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(dialogs.asked[0].text, u"Delete Select Items?");
    EXPECT_EQ(dialogs.asked[0].question, Dialogs::Question::kYesNo);

    // Nothing selected: still asked; Yes removes nothing.
    dialogs.answers = {Dialogs::Answer::kYes};
    Click(form.Button5);
    EXPECT_EQ(dialogs.asked.size(), 3u);
    EXPECT_EQ(form.FileCount(), 2);
}

TEST_F(FileRows, DeleteAllAsksEvenOnAnEmptyList) {
    Fill({});
    dialogs.answers = {Dialogs::Answer::kYes, Dialogs::Answer::kYes};
    Click(form.Button6);
    EXPECT_EQ(form.FileCount(), 0);
    Click(form.Button6);
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(dialogs.asked[1].text, u"Delete All Items?");
    EXPECT_EQ(form.FileCount(), 0);
}

TEST_F(MainWindow, TheBatchViewReadsAndDrivesTheWindow) {
    TForm3BatchView view(form, dialogs);
    dialogs.files_to_choose = {u"C:\\site\\index.html"};
    Click(form.Button7);
    form.SetLanguageTicked(26, true);
    EXPECT_EQ(view.FileCount(), 1);
    EXPECT_EQ(view.FilePathText(0) + view.FileNameText(0), u"C:\\site\\index.html");
    EXPECT_EQ(view.LanguageBoxCount(), 104u);
    EXPECT_TRUE(view.IsLanguageTicked(26));
    EXPECT_EQ(view.CountCheckedLanguages(), 1);

    view.SetJobButtons(JobButtons::kRunning);
    EXPECT_EQ(JobButtonsOf(form), (JobState{false, true, true}));
    view.ShowFileProgress(u"1/1 File(s)");
    view.ShowLanguageProgress(u"1/1 Language(s)");
    EXPECT_EQ(TForm3::TextOf(form.lbl1), u"1/1 File(s)");
    EXPECT_EQ(TForm3::TextOf(form.lbl2), u"1/1 Language(s)");
    TForm3::SetText(form.Memo1, u"buffer");
    view.EmptyTextBuffers();
    EXPECT_TRUE(TForm3::TextOf(form.Memo1).empty());
    view.BringTabToFront(BatchTab::kLanguages);
    EXPECT_EQ(form.ActiveSheet(), Sheet::kTabSheet2);
    EXPECT_TRUE(IsWindowVisible(form.TabSheet2));
    EXPECT_FALSE(IsWindowVisible(form.TabSheet1));
    view.BringTabToFront(BatchTab::kFiles);
    EXPECT_EQ(form.ActiveSheet(), Sheet::kTabSheet1);

    dialogs.answers = {Dialogs::Answer::kOk};
    EXPECT_EQ(view.AskOkCancel(u"Open the result directory?"), OkCancel::kOk);
    view.OpenFolder(u"C:\\result\\");
    EXPECT_THAT(dialogs.links, ElementsAre(u"C:\\result\\"));
}

TEST_F(MainWindow, TranslateAndAboutCallTheirHandlers) {
    int translated = 0;
    int about = 0;
    form.SetTranslateHandler([&] { ++translated; });
    form.SetAboutHandler([&] { ++about; });
    Click(form.btnTranslate);
    SendMessageW(form.Form3, WM_COMMAND, TForm3::About1, 0);
    EXPECT_EQ(translated, 1);
    EXPECT_EQ(about, 1);
}

}  // namespace
}  // namespace quillmoor::win::test_support
