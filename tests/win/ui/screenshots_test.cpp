// Pictures of the Win32 windows as a person sees them, kept in the build folder's
// screenshots/win/ as BMP files.
#include <filesystem>
#include <set>

#include "platform/utf.h"
#include "tests/win/ui/shown_main_window.h"
#include "win/ui/tfrm_about.h"
#include "win/ui/window_picture.h"

namespace quillmoor::win::test_support {
namespace {

std::u16string ScreenshotPath(const char* name) {
    std::filesystem::create_directories(std::filesystem::u8path(QUILLMOOR_SCREENSHOT_DIR));
    return Utf8ToUtf16(std::string(QUILLMOOR_SCREENSHOT_DIR "/") + name + ".bmp");
}

// Saves what the window shows and checks that something was drawn: a blank picture has
// one or two colours, a drawn window many.
void Save(HWND window, const char* name) {
    Pump();
    const std::u16string path = ScreenshotPath(name);
    ASSERT_TRUE(SaveWindowPicture(window, path)) << name;
    const std::string bytes = [&] {
        std::FILE* file = _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"rb");
        std::string read;
        char block[4096];
        std::size_t got = 0;
        while (file != nullptr && (got = std::fread(block, 1, sizeof block, file)) > 0) {
            read.append(block, got);
        }
        if (file != nullptr) {
            std::fclose(file);
        }
        return read;
    }();
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    std::set<std::string> colours;
    for (std::size_t at = 54; at + 3 <= bytes.size(); at += 3 * 7) {
        colours.insert(bytes.substr(at, 3));
    }
    EXPECT_GT(colours.size(), 4u) << name << " looks blank";
}

using Screenshots = ShownMainWindow;

TEST_F(Screenshots, MainWindowOnBothTabsAtTwoSizesAndTheAboutWindow) {
    dialogs.files_to_choose = {u"C:\\site\\index.html", u"C:\\site\\about.htm",
                               u"C:\\site\\notes.txt", u"C:\\home\\user\\pages\\contact.html"};
    Click(form.Button7);
    form.SetFileSelected(1, true);
    TForm3::SetText(form.lbl1, u"1/4 File(s)");
    TForm3::SetText(form.lbl2, u"3/5 Language(s)");
    for (int i : {0, 14, 26, 30, 45}) {
        form.SetLanguageTicked(static_cast<std::size_t>(i), true);
    }
    Save(form.Form3, "main_window_file_tab");
    form.ShowSheet(Sheet::kTabSheet2);
    Save(form.Form3, "main_window_language_tab");

    // The wide window whole on the 1280 pixels of the test's screen.
    SetWindowPos(form.Form3, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    form.SetClientSize(1100, 700);
    form.ShowSheet(Sheet::kTabSheet1);
    Save(form.Form3, "main_window_file_tab_wide");
    form.ShowSheet(Sheet::kTabSheet2);
    Save(form.Form3, "main_window_language_tab_wide");

    form.SetClientSize(815, 629);
    form.SetInputsEnabled(InputsState::kDisabled);
    form.JobStarted();
    Click(form.btnPause);
    Save(form.Form3, "main_window_language_tab_during_a_batch");

    TfrmAbout about(dialogs);
    RECT client;
    GetClientRect(about.frmAbout, &client);
    EXPECT_EQ(client.right, TfrmAbout::kSize.cx);
    EXPECT_EQ(client.bottom, TfrmAbout::kSize.cy);
    about.ShowAbout();
    Save(about.frmAbout, "about_window");
    SendMessageW(about.OKButton, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(about.frmAbout));
}

}  // namespace
}  // namespace quillmoor::win::test_support
