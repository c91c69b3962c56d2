#include "win/ui/panel_window.h"

#include <algorithm>

#include "win/ui/window_theme.h"

namespace quillmoor::win {
namespace {

constexpr wchar_t kPanelClass[] = L"QuillmoorPanel";
constexpr int kWheelStep = 28 * 3;  // three rows of the language grid
constexpr int kLineStep = 28;

PanelKind KindOf(HWND panel) {
    return static_cast<PanelKind>(GetWindowLongPtrW(panel, GWLP_USERDATA));
}

void PaintBevel(HWND panel, HDC dc) {
    RECT r;
    GetClientRect(panel, &r);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, ThemeRgb(ThemeColour::kBevelLight));
    MoveToEx(dc, 0, r.bottom - 1, nullptr);
    LineTo(dc, 0, 0);
    LineTo(dc, r.right - 1, 0);
    SetDCPenColor(dc, ThemeRgb(ThemeColour::kBevelDark));
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, 0, r.bottom - 1);
    SelectObject(dc, old);
}

// Moves the scroll position of bar by the request of a WM_VSCROLL or WM_HSCROLL, or by
// delta pixels, and the children with it.
void Scroll(HWND box, int bar, int request, int delta) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(box, bar, &info);
    int position = info.nPos;
    switch (request) {
        case SB_LINEUP:
            position -= kLineStep;
            break;
        case SB_LINEDOWN:
            position += kLineStep;
            break;
        case SB_PAGEUP:
            position -= static_cast<int>(info.nPage);
            break;
        case SB_PAGEDOWN:
            position += static_cast<int>(info.nPage);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            position = info.nTrackPos;
            break;
        case SB_TOP:
            position = info.nMin;
            break;
        case SB_BOTTOM:
            position = info.nMax;
            break;
        default:
            position += delta;
            break;
    }
    const int last = std::max(info.nMin, info.nMax - static_cast<int>(info.nPage) + 1);
    position = std::clamp(position, info.nMin, last);
    const int old = info.nPos;
    if (position == old) {
        return;
    }
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(box, bar, &info, TRUE);
    // The children move by hand: ScrollWindowEx leaves them where they are while the box
    // is hidden (a page behind another).
    const int shift = old - position;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(child, nullptr, r.left + (bar == SB_HORZ ? shift : 0),
                     r.top + (bar == SB_VERT ? shift : 0), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(box, nullptr, TRUE);
}

LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            return SendMessageW(GetAncestor(panel, GA_ROOT), message, wparam, lparam);
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(panel, &r);
            FillRect(reinterpret_cast<HDC>(wparam), &r, ThemeBrush(ThemeColour::kWindow));
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(panel, &paint);
            if (KindOf(panel) == PanelKind::kPanel) {
                PaintBevel(panel, dc);
            }
            EndPaint(panel, &paint);
            return 0;
        }
        case WM_VSCROLL:
        case WM_HSCROLL:
            if (KindOf(panel) == PanelKind::kScrollBox) {
                Scroll(panel, message == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wparam), 0);
                return 0;
            }
            break;
        case WM_MOUSEWHEEL:
            if (KindOf(panel) == PanelKind::kScrollBox) {
                const int notches = GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA;
                Scroll(panel, SB_VERT, -1, -notches * kWheelStep);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(panel, message, wparam, lparam);
}

void RegisterPanelClass() {
    static const ATOM atom = [] {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = PanelProc;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        window_class.lpszClassName = kPanelClass;
        return RegisterClassExW(&window_class);
    }();
    (void)atom;
}

}  // namespace

HWND CreatePanel(HWND parent, PanelKind kind) {
    RegisterPanelClass();
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    DWORD ex_style = WS_EX_CONTROLPARENT;
    if (kind == PanelKind::kScrollBox) {
        style |= WS_VSCROLL | WS_HSCROLL;
        ex_style |= WS_EX_CLIENTEDGE;
    }
    HWND panel = CreateWindowExW(ex_style, kPanelClass, L"", style, 0, 0, 0, 0, parent, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(panel, GWLP_USERDATA, static_cast<LONG_PTR>(kind));
    if (kind == PanelKind::kScrollBox) {
        SetScrollExtent(panel, 0, 0);
    }
    return panel;
}

void SetScrollExtent(HWND scroll_box, int content_width, int content_height) {
    // A bar that shows narrows the other direction's visible area: twice settles both.
    for (int round = 0; round < 2; ++round) {
        RECT visible;
        GetClientRect(scroll_box, &visible);
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE;
        info.nMin = 0;
        info.nMax = std::max(0, content_height - 1);
        info.nPage = static_cast<UINT>(std::max<LONG>(0, visible.bottom));
        SetScrollInfo(scroll_box, SB_VERT, &info, TRUE);
        info.nMax = std::max(0, content_width - 1);
        info.nPage = static_cast<UINT>(std::max<LONG>(0, visible.right));
        SetScrollInfo(scroll_box, SB_HORZ, &info, TRUE);
    }
}

POINT ScrollOffset(HWND scroll_box) {
    return POINT{GetScrollPos(scroll_box, SB_HORZ), GetScrollPos(scroll_box, SB_VERT)};
}

}  // namespace quillmoor::win
