#include "win/ui/tfrm_about.h"

#include <commctrl.h>

#include <string>

#include "win/ui/dialogs.h"
#include "win/ui/window_theme.h"

namespace quillmoor::win {
namespace {

constexpr wchar_t kWindowClass[] = L"TfrmAbout";
constexpr int kPictureSize = 64;
constexpr int kOkId = 1;

#ifndef QUILLMOOR_VERSION
#define QUILLMOOR_VERSION "8.8.8.8"
#endif

void RegisterWindowClass() {
    static const ATOM atom = [] {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = DefWindowProcW;  // replaced per window at creation
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        window_class.hbrBackground = ThemeBrush(ThemeColour::kWindow);
        window_class.lpszClassName = kWindowClass;
        return RegisterClassExW(&window_class);
    }();
    (void)atom;
}

// Fills box of dc with the theme's window colour. Through the device context's own brush:
// under Wine a solid brush of this colour drew white in this window.
void FillWithWindowColour(HDC dc, const RECT& box) {
    SetDCBrushColor(dc, ThemeRgb(ThemeColour::kWindow));
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// The program's picture: a slate tile with a page of text lines and a quill across its
// corner, as the Qt window draws it.
void PaintPicture(HDC dc, RECT box) {
    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(DC_PEN));
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(DC_BRUSH));
    const int x = box.left;
    const int y = box.top;
    SetDCPenColor(dc, RGB(0x4a, 0x5a, 0x6a));
    SetDCBrushColor(dc, RGB(0x4a, 0x5a, 0x6a));
    RoundRect(dc, x + 2, y + 2, x + 62, y + 62, 20, 20);
    SetDCPenColor(dc, RGB(0xf4, 0xf6, 0xf8));
    SetDCBrushColor(dc, RGB(0xf4, 0xf6, 0xf8));
    Rectangle(dc, x + 14, y + 12, x + 44, y + 52);
    HPEN line = CreatePen(PS_SOLID, 2, RGB(0x8a, 0x99, 0xa8));
    SelectObject(dc, line);
    for (int row = 20; row <= 44; row += 6) {
        MoveToEx(dc, x + 18, y + row, nullptr);
        LineTo(dc, x + (row < 40 ? 38 : 30), y + row);
    }
    const POINT feather[] = {{x + 54, y + 8},  {x + 40, y + 12}, {x + 32, y + 26}, {x + 30, y + 44},
                             {x + 38, y + 36}, {x + 50, y + 26}, {x + 54, y + 8}};
    SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, RGB(0x1f, 0x2a, 0x35));
    SetDCBrushColor(dc, RGB(0x5e, 0x9e, 0xd6));
    BeginPath(dc);
    PolyBezier(dc, feather, 7);
    EndPath(dc);
    StrokeAndFillPath(dc);
    HPEN quill = CreatePen(PS_SOLID, 2, RGB(0x1f, 0x2a, 0x35));
    SelectObject(dc, quill);
    MoveToEx(dc, x + 50, y + 14, nullptr);
    LineTo(dc, x + 28, y + 50);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(line);
    DeleteObject(quill);
}

HWND MakeLabel(HWND parent, const wchar_t* text, int left, int top, int width, int height) {
    return CreateWindowExW(0, WC_STATICW, text, WS_CHILD | WS_VISIBLE | SS_LEFT, left, top, width,
                           height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

TfrmAbout::TfrmAbout(Dialogs& dialogs) : dialogs_(dialogs) {
    gui_thread_.Check();
    RegisterWindowClass();
    font_ = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    name_font_ =
        CreateFontW(-22, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT frame{0, 0, kSize.cx, kSize.cy};
    AdjustWindowRectEx(&frame, kStyle, FALSE, WS_EX_DLGMODALFRAME);
    frmAbout = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kWindowClass, L"About",
                               kStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                               frame.bottom - frame.top, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(frmAbout, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    constexpr int kMargin = 14;
    constexpr int kTextLeft = kMargin + kPictureSize + kMargin;
    constexpr int kTextWidth = kSize.cx - kTextLeft - kMargin;
    Picture = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, kMargin,
                              kMargin, kPictureSize, kPictureSize, frmAbout, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ProductName = MakeLabel(frmAbout, L"Quillmoor", kTextLeft, kMargin, kTextWidth, 28);
    Version = MakeLabel(frmAbout, L"Version: " QUILLMOOR_VERSION, kTextLeft, kMargin + 32,
                        kTextWidth, 14);
    Copyright = MakeLabel(frmAbout,
                          L"Copyright \u00a9 The Quillmoor authors. All rights reserved.\n"
                          L"The translations are made by Google's website translator; the "
                          L"rights in a page stay with its owner.",
                          kTextLeft, kMargin + 50, kTextWidth, 70);
    Links =
        CreateWindowExW(0, WC_LINK,
                        L"<a href=\"https://translate.google.com/\">Google Translate</a> \u00b7 "
                        L"<a href=\"https://bitbucket.org/chromiumembedded/cef\">Chromium Embedded "
                        L"Framework</a>",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP, kTextLeft, kMargin + 124, kTextWidth,
                        32, frmAbout, nullptr, GetModuleHandleW(nullptr), nullptr);
    OKButton = CreateWindowExW(
        0, WC_BUTTONW, L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_OWNERDRAW,
        kSize.cx - kMargin - 75, kSize.cy - 12 - 25, 75, 25, frmAbout,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOkId)), GetModuleHandleW(nullptr), nullptr);
    for (HWND child : {Version, Copyright, Links, OKButton}) {
        if (child != nullptr) {
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        }
    }
    SendMessageW(ProductName, WM_SETFONT, reinterpret_cast<WPARAM>(name_font_), FALSE);
    SetWindowLongPtrW(frmAbout, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TfrmAbout::WindowProc));
}

TfrmAbout::~TfrmAbout() {
    gui_thread_.Check();
    SetWindowLongPtrW(frmAbout, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
    DestroyWindow(frmAbout);
    DeleteObject(font_);
    DeleteObject(name_font_);
}

void TfrmAbout::ShowAbout() {
    gui_thread_.Check();
    ShowWindow(frmAbout, SW_SHOW);
    SetForegroundWindow(frmAbout);
    UpdateWindow(frmAbout);
}

LRESULT CALLBACK TfrmAbout::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* about = reinterpret_cast<TfrmAbout*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return about->HandleMessage(message, wparam, lparam);
}

LRESULT TfrmAbout::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    gui_thread_.Check();
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wparam) == kOkId) {
                ShowWindow(frmAbout, SW_HIDE);
            }
            return 0;
        case WM_NOTIFY: {
            const auto* notice = reinterpret_cast<const NMHDR*>(lparam);
            if (notice->hwndFrom == Links &&
                (notice->code == NM_CLICK || notice->code == NM_RETURN)) {
                const auto* link = reinterpret_cast<const NMLINK*>(lparam);
                dialogs_.OpenLink(reinterpret_cast<const char16_t*>(link->item.szUrl));
            }
            return 0;
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
            if (item.hwndItem == Picture) {
                FillWithWindowColour(item.hDC, item.rcItem);
                PaintPicture(item.hDC, item.rcItem);
            } else {
                DrawThemeButton(item);
            }
            return TRUE;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(frmAbout, &paint);
            FillWithWindowColour(dc, paint.rcPaint);
            EndPaint(frmAbout, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
        case WM_PRINTCLIENT: {
            // The window's own colour, also when it is drawn into a picture.
            RECT client{};
            GetClientRect(frmAbout, &client);
            FillWithWindowColour(reinterpret_cast<HDC>(wparam), client);
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const auto dc = reinterpret_cast<HDC>(wparam);
            SetTextColor(dc, ThemeRgb(ThemeColour::kText));
            SetBkColor(dc, ThemeRgb(ThemeColour::kWindow));
            SetDCBrushColor(dc, ThemeRgb(ThemeColour::kWindow));
            return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
        }
        case WM_CLOSE:
            // Closing only hides it; the program destroys it at its end.
            ShowWindow(frmAbout, SW_HIDE);
            return 0;
        default:
            return DefWindowProcW(frmAbout, message, wparam, lparam);
    }
}

}  // namespace quillmoor::win
