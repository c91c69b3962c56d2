// The plain surfaces of the Win32 windows: panels with one pixel of raised bevel, tab pages
// and the scroll box that holds the language check boxes. A surface paints itself in the
// theme's window colour and hands its children's commands, notices, drawing and colour
// questions to its top-level window, where the handlers live.
#pragma once

#include <windows.h>

namespace quillmoor::win {

enum class PanelKind {
    kPanel,      // a bevelled panel
    kPage,       // a tab page: no edge
    kScrollBox,  // scrolls its children in both directions (see SetScrollExtent)
};

// A new visible surface of kind on parent. GUI thread.
HWND CreatePanel(HWND parent, PanelKind kind);

// The scroll box's content size: its scroll bars show where the content reaches beyond the
// visible area, and keep the scroll position inside it. GUI thread.
void SetScrollExtent(HWND scroll_box, int content_width, int content_height);

// How far the scroll box's content is scrolled, in pixels.
POINT ScrollOffset(HWND scroll_box);

}  // namespace quillmoor::win
