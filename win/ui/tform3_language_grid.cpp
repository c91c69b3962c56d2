// The language tab of the main window: one check box per catalogue language in a grid.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "pipeline/language_catalogue.h"
#include "pipeline/main_window_layout.h"
#include "win/ui/panel_window.h"
#include "win/ui/tform3.h"

namespace quillmoor::win {
namespace {

// The check box's default height.
constexpr int kBoxHeight = 17;
constexpr int kFirstLanguageBox = 2000;

}  // namespace

// The second half of FormResize. The first run creates the boxes; every run places them,
// so ticks and enabled states survive any resize.
void TForm3::PlaceLanguageBoxes() {
    RECT outside;
    GetWindowRect(ScrollBox1, &outside);
    const LanguageGrid grid = LanguageGridFor(outside.right - outside.left);
    if (LanguageBoxes.empty()) {
        LanguageBoxes.resize(LanguageNames().size(), nullptr);
    }
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(Form3, WM_GETFONT, 0, 0));
    int right = 0;
    int bottom = 0;
    for (std::size_t i = 0; i < LanguageBoxes.size(); ++i) {
        const BoxPlace place = LanguageBoxPlace(grid, i);
        right = std::max(right, place.left + kLanguageColumnWidth);
        bottom = std::max(bottom, place.top + kBoxHeight);
    }
    // The scrolled area reaches to the last column and below the last row by the top margin;
    // the boxes go where the scroll position puts them.
    SetScrollExtent(ScrollBox1, right, bottom + kLanguageGridTop);
    const POINT offset = ScrollOffset(ScrollBox1);
    for (std::size_t i = 0; i < LanguageBoxes.size(); ++i) {
        HWND& box = LanguageBoxes[i];
        if (box == nullptr) {
            box = CreateWindowExW(
                0, WC_BUTTONW, reinterpret_cast<const wchar_t*>(LanguageNames()[i].c_str()),
                WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 0, kLanguageColumnWidth,
                kBoxHeight, ScrollBox1,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstLanguageBox + i)),
                GetModuleHandleW(nullptr), nullptr);
            // Drawn without the visual style, so that the theme's text colour applies.
            SetWindowTheme(box, L"", L"");
            SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font != nullptr ? font : font_),
                         FALSE);
        }
        const BoxPlace place = LanguageBoxPlace(grid, i);
        SetWindowPos(box, nullptr, place.left - offset.x, place.top - offset.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TForm3::SetLanguageTicked(std::size_t index, bool ticked) {
    gui_thread_.Check();
    SendMessageW(LanguageBoxes.at(index), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TForm3::IsLanguageTicked(std::size_t index) const {
    gui_thread_.Check();
    HWND box = LanguageBoxes.at(index);
    return box != nullptr && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm3::Button9Click() {
    gui_thread_.Check();
    for (std::size_t i = 0; i < LanguageBoxes.size(); ++i) {
        SetLanguageTicked(i, true);
    }
}

void TForm3::Button10Click() {
    gui_thread_.Check();
    for (std::size_t i = 0; i < LanguageBoxes.size(); ++i) {
        SetLanguageTicked(i, false);
    }
}

void TForm3::Button11Click() {
    gui_thread_.Check();
    for (std::size_t i = 0; i < LanguageBoxes.size(); ++i) {
        SetLanguageTicked(i, !IsLanguageTicked(i));
    }
}

int TForm3::CountCheckedLanguages() const {
    gui_thread_.Check();
    int count = 0;
    for (std::size_t i = 0; i < LanguageBoxes.size(); ++i) {
        if (IsLanguageTicked(i)) {
            ++count;
        }
    }
    return count;
}

}  // namespace quillmoor::win
