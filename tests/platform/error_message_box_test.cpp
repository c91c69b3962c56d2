// The failure message box as the system shows it (Windows): caught as it opens, read, and
// closed with its OK button, so that it never waits for a person. It needs a display:
// scripts/test-win32 runs this program under Wine with one.
#include "platform/error_message_box.h"
#include "platform/no_copy.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillmoor {
namespace {

// What the first window that became active on this thread showed.
struct SeenBox {
    bool opened = false;
    std::u16string title;
    std::u16string text;
    bool owned = false;
    bool error_icon = false;
    std::vector<int> buttons;
};

std::u16string TextOf(HWND window) {
    std::u16string text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()),
                                                   static_cast<int>(text.size()))));
    return text;
}

// Watches this thread's windows while it lives: reads the first one that becomes active
// and presses its OK button.
class MessageBoxWatch {
  public:
    MessageBoxWatch() {
        watching_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, &OnWindowEvent, nullptr, GetCurrentThreadId());
    }
    ~MessageBoxWatch() {
        UnhookWindowsHookEx(hook_);
        watching_ = nullptr;
    }
    QUILLMOOR_NO_COPY(MessageBoxWatch);

    bool Hooked() const { return hook_ != nullptr; }
    const SeenBox& Seen() const { return seen_; }

  private:
    static LRESULT CALLBACK OnWindowEvent(int code, WPARAM wparam, LPARAM lparam) {
        if (code == HCBT_ACTIVATE && watching_ != nullptr && !watching_->seen_.opened) {
            const HWND box = reinterpret_cast<HWND>(wparam);
            watching_->Read(box);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(nullptr, code, wparam, lparam);
    }

    void Read(HWND box) {
        seen_.opened = true;
        seen_.title = TextOf(box);
        seen_.owned = GetWindow(box, GW_OWNER) != nullptr;
        EnumChildWindows(box, &ReadControl, reinterpret_cast<LPARAM>(&seen_));
    }

    static BOOL CALLBACK ReadControl(HWND control, LPARAM seen_address) {
        auto& seen = *reinterpret_cast<SeenBox*>(seen_address);
        wchar_t kind[32] = {};
        GetClassNameW(control, kind, 32);
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        if (lstrcmpiW(kind, L"Button") == 0) {
            seen.buttons.push_back(GetDlgCtrlID(control));
        } else if (lstrcmpiW(kind, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
            const auto icon = reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0));
            seen.error_icon = icon != nullptr && icon == LoadIconW(nullptr, IDI_ERROR);
        } else if (lstrcmpiW(kind, L"Static") == 0 && GetDlgCtrlID(control) == 0xFFFF) {
            seen.text = TextOf(control);
        }
        return TRUE;
    }

    static thread_local MessageBoxWatch* watching_;
    HHOOK hook_ = nullptr;
    SeenBox seen_;
};

thread_local MessageBoxWatch* MessageBoxWatch::watching_ = nullptr;

TEST(ErrorMessageBox, ShowsTheTextUnderErrorWithTheErrorIconAndOnlyOk) {
    const std::u16string longer =
        u"Error loading libcef.dll\r\n\r\nError code : 0x0000007E and more";
    const struct {
        const char* name;
        std::u16string_view text;
    } cases[] = {
        {"lines with CR LF",
         u"CEF binaries missing !\r\n\r\nThe missing files are :\r\nlibcef.dll"},
        {"characters outside the code page", u"\u4E2D\u6587 \u0101 \u20AC"},
        {"a slice of a longer text", std::u16string_view(longer).substr(0, longer.find(u" and"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MessageBoxWatch watch;
        ASSERT_TRUE(watch.Hooked());
        ShowErrorMessageBox(c.text);
        const SeenBox& seen = watch.Seen();
        ASSERT_TRUE(seen.opened) << "no message box opened: is there a display?";
        EXPECT_EQ(seen.title, u"Error");
        EXPECT_EQ(seen.text, c.text);
        EXPECT_FALSE(seen.owned);
        EXPECT_TRUE(seen.error_icon);
        EXPECT_EQ(seen.buttons, std::vector<int>{IDOK});
    }
}

}  // namespace
}  // namespace quillmoor
