#include "win/ui/window_theme.h"

#include <array>
#include <string>

namespace quillmoor::win {

COLORREF ThemeRgb(ThemeColour colour) {
    switch (colour) {
        case ThemeColour::kWindow:
            return RGB(0x4f, 0x5b, 0x66);
        case ThemeColour::kBase:
            return RGB(0x41, 0x4b, 0x55);
        case ThemeColour::kText:
            return RGB(0xf2, 0xf4, 0xf6);
        case ThemeColour::kDisabledText:
            return RGB(0x8c, 0x96, 0x9f);
        case ThemeColour::kButton:
            return RGB(0x64, 0x71, 0x7e);
        case ThemeColour::kButtonPressed:
            return RGB(0x50, 0x5c, 0x68);
        case ThemeColour::kButtonDisabled:
            return RGB(0x56, 0x62, 0x6d);
        case ThemeColour::kButtonBorder:
            return RGB(0x3a, 0x44, 0x4d);
        case ThemeColour::kFocus:
            return RGB(0x5e, 0x9e, 0xd6);
        case ThemeColour::kBevelLight:
            return RGB(0x6f, 0x7c, 0x88);
        case ThemeColour::kBevelDark:
            return RGB(0x39, 0x43, 0x4c);
    }
    return RGB(0, 0, 0);
}

HBRUSH ThemeBrush(ThemeColour colour) {
    static std::array<HBRUSH, static_cast<std::size_t>(ThemeColour::kBevelDark) + 1> brushes{};
    HBRUSH& brush = brushes.at(static_cast<std::size_t>(colour));
    if (brush == nullptr) {
        brush = CreateSolidBrush(ThemeRgb(colour));
    }
    return brush;
}

void DrawThemeButton(const DRAWITEMSTRUCT& item) {
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    RECT box = item.rcItem;
    FillRect(item.hDC, &box,
             ThemeBrush(disabled  ? ThemeColour::kButtonDisabled
                        : pressed ? ThemeColour::kButtonPressed
                                  : ThemeColour::kButton));
    FrameRect(item.hDC, &box,
              ThemeBrush(focused && !disabled ? ThemeColour::kFocus : ThemeColour::kButtonBorder));

    std::wstring caption(static_cast<std::size_t>(GetWindowTextLengthW(item.hwndItem)) + 1, L'\0');
    caption.resize(static_cast<std::size_t>(
        GetWindowTextW(item.hwndItem, caption.data(), static_cast<int>(caption.size()))));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, ThemeRgb(disabled ? ThemeColour::kDisabledText : ThemeColour::kText));
    if (pressed) {
        OffsetRect(&box, 1, 1);
    }
    DrawTextW(item.hDC, caption.c_str(), static_cast<int>(caption.size()), &box,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace quillmoor::win
