// The "Windows10 SlateGray" colours of the Win32 windows, as far as the common controls
// take colours: panels, labels, check boxes, the file list, the text buffers and the owner-
// drawn push buttons. The Qt program's palette has the same values.
#pragma once

#include <windows.h>

namespace quillmoor::win {

enum class ThemeColour {
    kWindow,          // panels and pages
    kBase,            // the file list and the text buffers
    kText,            // text on both
    kDisabledText,    // text of a disabled control
    kButton,          // a push button
    kButtonPressed,   // a push button held down
    kButtonDisabled,  // a disabled push button
    kButtonBorder,    // a push button's edge
    kFocus,           // the edge of the button with the focus
    kBevelLight,      // a panel's top and left edge
    kBevelDark,       // a panel's bottom and right edge
};

COLORREF ThemeRgb(ThemeColour colour);

// A solid brush of colour, made on first use and kept for the life of the process. GUI
// thread.
HBRUSH ThemeBrush(ThemeColour colour);

// Draws the push button that item describes (WM_DRAWITEM of a BS_OWNERDRAW button).
void DrawThemeButton(const DRAWITEMSTRUCT& item);

}  // namespace quillmoor::win
