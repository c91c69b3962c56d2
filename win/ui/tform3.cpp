#include "win/ui/tform3.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <utility>

#include "pipeline/main_window_layout.h"
#include "win/ui/panel_window.h"
#include "win/ui/window_theme.h"

namespace quillmoor::win {
namespace {

constexpr wchar_t kWindowClass[] = L"TForm3";

// The fixed heights of the panels and of what they hold.
constexpr int kJobPanelHeight = 41;
constexpr int kJobButtonHeight = 39;
constexpr int kProgressPanelHeight = 49;
constexpr int kProgressLineHeight = 13;
constexpr int kButtonPanelHeight = 37;
constexpr int kButtonTop = 6;
constexpr int kButtonHeight = 25;
constexpr int kFileButtonWidth = 92;
constexpr int kLanguageButtonWidth = 80;

// The control identifiers of the buttons (the language boxes have theirs from 2000).
enum ControlId : int {
    kButton7Id = 1001,
    kButton1Id,
    kButton3Id,
    kButton8Id,
    kButton4Id,
    kButton5Id,
    kButton6Id,
    kButton9Id,
    kButton10Id,
    kButton11Id,
    kBtnTranslateId,
    kBtnPauseId,
    kBtnCancelId,
};

// One button of a tab's button row: the member that holds it, its identifier, its caption
// and the handler its click calls.
struct RowButton {
    HWND TForm3::*member;
    int id;
    const wchar_t* caption;
    void (TForm3::*clicked)();
};

// The file tab's buttons, in the panel's own order, which SetInputsEnabled follows.
constexpr std::array kFileButtons = {
    RowButton{&TForm3::Button7, kButton7Id, L"Add File(s)", &TForm3::Button7Click},
    RowButton{&TForm3::Button1, kButton1Id, L"Add Folder", &TForm3::Button1Click},
    RowButton{&TForm3::Button3, kButton3Id, L"Select All", &TForm3::Button3Click},
    RowButton{&TForm3::Button8, kButton8Id, L"Select None", &TForm3::Button8Click},
    RowButton{&TForm3::Button4, kButton4Id, L"Inverse Select", &TForm3::Button4Click},
    RowButton{&TForm3::Button5, kButton5Id, L"Delete Selected", &TForm3::Button5Click},
    RowButton{&TForm3::Button6, kButton6Id, L"Delete All", &TForm3::Button6Click},
};

// The language tab's buttons.
constexpr std::array kLanguageButtons = {
    RowButton{&TForm3::Button9, kButton9Id, L"Select All", &TForm3::Button9Click},
    RowButton{&TForm3::Button10, kButton10Id, L"Select None", &TForm3::Button10Click},
    RowButton{&TForm3::Button11, kButton11Id, L"Inverse Select", &TForm3::Button11Click},
};

// The job buttons, aligned to their panel's left edge in this order.
constexpr std::array kJobButtons = {
    RowButton{&TForm3::btnTranslate, kBtnTranslateId, L"Translate", &TForm3::btnTranslateClick},
    RowButton{&TForm3::btnPause, kBtnPauseId, L"Pause", &TForm3::btnPauseClick},
    RowButton{&TForm3::btnCancel, kBtnCancelId, L"Cancel", &TForm3::btnCancelClick},
};

// The menu items and the handlers their choice calls.
struct MenuItem {
    UINT id;
    void (TForm3::*chosen)();
};
constexpr std::array kMenuItems = {
    MenuItem{TForm3::AddFile1, &TForm3::AddFile1Click},
    MenuItem{TForm3::AddAllFilesFromFolder1, &TForm3::AddAllFilesFromFolder1Click},
    MenuItem{TForm3::Exit1, &TForm3::Exit1Click},
    MenuItem{TForm3::About1, &TForm3::About1Click},
};

const wchar_t* Wide(std::u16string_view text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}

int WidthOf(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r.right - r.left;
}

// Moves window to left within its parent, keeping its top and size.
void MoveLeftTo(HWND window, int left) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(window, nullptr, left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Place(HWND window, int left, int top, int width, int height) {
    SetWindowPos(window, nullptr, left, top, std::max(0, width), std::max(0, height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Gives child the font (an HFONT); goes on to the next child.
BOOL CALLBACK SetFontOf(HWND child, LPARAM font) {
    SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}

void RegisterWindowClass() {
    static const ATOM atom = [] {
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof window_class;
        window_class.lpfnWndProc = DefWindowProcW;  // replaced per window at creation
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        window_class.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        window_class.hbrBackground = ThemeBrush(ThemeColour::kWindow);
        window_class.lpszClassName = kWindowClass;
        return RegisterClassExW(&window_class);
    }();
    (void)atom;
}

}  // namespace

TForm3::TForm3(Dialogs& dialogs, JobFlags& job_flags) : dialogs_(dialogs), job_flags_(job_flags) {
    gui_thread_.Check();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                                       ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    RegisterWindowClass();
    // Tahoma at 8 points: a character height of 11 pixels at 96 pixels per inch.
    font_ = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, L"Tahoma");

    Form3 = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"",
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                            kClientSize.cx, kClientSize.cy, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(Form3, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    BuildMenu();
    BuildFrame();
    BuildFileTab();
    BuildLanguageTab();
    BuildMemoTabs();
    EnumChildWindows(Form3, &SetFontOf, reinterpret_cast<LPARAM>(font_));
    FormCreate();
    // Every component exists now: the messages may reach the handlers.
    SetWindowLongPtrW(Form3, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TForm3::WindowProc));
    SetClientSize(kClientSize.cx, kClientSize.cy);

    // Centred on the desktop's work area.
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame;
    GetWindowRect(Form3, &frame);
    SetWindowPos(Form3, nullptr,
                 work.left + (work.right - work.left - (frame.right - frame.left)) / 2,
                 work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TForm3::~TForm3() {
    gui_thread_.Check();
    SetWindowLongPtrW(Form3, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
    DestroyWindow(Form3);
    DeleteObject(font_);
}

void TForm3::Show() {
    gui_thread_.Check();
    ShowWindow(Form3, SW_SHOW);
    UpdateWindow(Form3);
    FormShow();
}

void TForm3::SetClientSize(int width, int height) {
    gui_thread_.Check();
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(Form3, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongW(Form3, GWL_EXSTYLE)));
    SetWindowPos(Form3, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps takes more than one line: the client area then comes short.
    RECT client;
    GetClientRect(Form3, &client);
    if (client.bottom != height) {
        SetWindowPos(Form3, nullptr, 0, 0, frame.right - frame.left,
                     frame.bottom - frame.top + height - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TForm3::SetTranslateHandler(std::function<void()> handler) {
    gui_thread_.Check();
    translate_handler_ = std::move(handler);
}

void TForm3::SetAboutHandler(std::function<void()> handler) {
    gui_thread_.Check();
    about_handler_ = std::move(handler);
}

std::u16string TForm3::TextOf(HWND window) {
    std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(
        window, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()))));
    return text;
}

void TForm3::SetText(HWND window, std::u16string_view text) {
    const std::u16string terminated(text);
    SetWindowTextW(window, Wide(terminated));
}

HWND TForm3::MakeButton(HWND parent, const wchar_t* caption, int id, int top, int width,
                        int height) {
    return CreateWindowExW(
        0, WC_BUTTONW, caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_OWNERDRAW,
        0, top, width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        GetModuleHandleW(nullptr), nullptr);
}

void TForm3::BuildMenu() {
    MainMenu1 = CreateMenu();
    File1 = CreatePopupMenu();
    AppendMenuW(File1, MF_STRING, AddFile1, L"Add File(s)");
    // Add Folder (AddAllFilesFromFolder1) is hidden: a Win32 menu cannot hide an item, so it
    // is never put in; its command still reaches its handler.
    AppendMenuW(File1, MF_STRING, Exit1, L"Exit");
    Help1 = CreatePopupMenu();
    AppendMenuW(Help1, MF_STRING, About1, L"About");
    AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(File1), L"File");
    AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(Help1), L"Help");
    SetMenu(Form3, MainMenu1);
}

void TForm3::BuildFrame() {
    Panel2 = CreatePanel(Form3, PanelKind::kPanel);
    Panel8 = CreatePanel(Form3, PanelKind::kPanel);
    Panel3 = CreatePanel(Form3, PanelKind::kPanel);

    PageControl1 = CreateWindowExW(0, WC_TABCONTROLW, L"",
                                   WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0,
                                   Panel2, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (const RowButton& job : kJobButtons) {
        this->*job.member = MakeButton(Panel8, job.caption, job.id, 1, 0, kJobButtonHeight);
    }
    // Progress lines, stacked from the top of their panel, full width, text centred.
    for (HWND* line : {&lbl1, &lbl2}) {
        *line = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 0, 0,
                                Panel3, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
}

void TForm3::BuildFileTab() {
    TabSheet1 = CreatePanel(Panel2, PanelKind::kPage);
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<wchar_t*>(L"File");
    TabCtrl_InsertItem(PageControl1, 0, &tab);

    Panel4 = CreatePanel(TabSheet1, PanelKind::kPanel);
    ListView1 = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                                0, 0, 0, 0, Panel4, nullptr, GetModuleHandleW(nullptr), nullptr);
    ListView_SetExtendedListViewStyle(ListView1, LVS_EX_FULLROWSELECT);
    ListView_SetBkColor(ListView1, ThemeRgb(ThemeColour::kBase));
    ListView_SetTextBkColor(ListView1, ThemeRgb(ThemeColour::kBase));
    ListView_SetTextColor(ListView1, ThemeRgb(ThemeColour::kText));
    for (const auto& [index, caption] : {std::pair{0, L"File"}, std::pair{1, L"Path"}}) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(caption);
        column.cx = 100;
        ListView_InsertColumn(ListView1, index, &column);
    }

    Panel5 = CreatePanel(TabSheet1, PanelKind::kPanel);
    for (const RowButton& button : kFileButtons) {
        this->*button.member = MakeButton(Panel5, button.caption, button.id, kButtonTop,
                                          kFileButtonWidth, kButtonHeight);
    }
    ShowWindow(Button1, SW_HIDE);
}

void TForm3::BuildLanguageTab() {
    TabSheet2 = CreatePanel(Panel2, PanelKind::kPage);
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<wchar_t*>(L"Language");
    TabCtrl_InsertItem(PageControl1, 1, &tab);

    Panel6 = CreatePanel(TabSheet2, PanelKind::kPanel);
    ScrollBox1 = CreatePanel(Panel6, PanelKind::kScrollBox);
    Panel7 = CreatePanel(TabSheet2, PanelKind::kPanel);
    for (const RowButton& button : kLanguageButtons) {
        this->*button.member = MakeButton(Panel7, button.caption, button.id, kButtonTop,
                                          kLanguageButtonWidth, kButtonHeight);
    }
}

void TForm3::BuildMemoTabs() {
    // The text buffers' pages have no tab: the user cannot bring them to the front.
    for (auto [sheet, memo] : {std::pair{&TabSheet3, &Memo1}, std::pair{&TabSheet4, &Memo2}}) {
        *sheet = CreatePanel(Panel2, PanelKind::kPage);
        *memo = CreateWindowExW(WS_EX_CLIENTEDGE, WC_EDITW, L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                    ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN,
                                0, 0, 0, 0, *sheet, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
}

void TForm3::FormCreate() {
    gui_thread_.Check();
    SetWindowTextW(Form3, L"Quillmoor");
    ShowSheet(Sheet::kTabSheet1);
}

void TForm3::FormShow() {
    gui_thread_.Check();
    EnableWindow(btnTranslate, TRUE);
    EnableWindow(btnPause, FALSE);
    EnableWindow(btnCancel, FALSE);
}

Sheet TForm3::ActiveSheet() const {
    gui_thread_.Check();
    if (IsWindowVisible(TabSheet3)) {
        return Sheet::kTabSheet3;
    }
    if (IsWindowVisible(TabSheet4)) {
        return Sheet::kTabSheet4;
    }
    return TabCtrl_GetCurSel(PageControl1) == 1 ? Sheet::kTabSheet2 : Sheet::kTabSheet1;
}

void TForm3::ShowSheet(Sheet sheet) {
    gui_thread_.Check();
    const std::array sheets = {TabSheet1, TabSheet2, TabSheet3, TabSheet4};
    const auto front = static_cast<std::size_t>(sheet);
    if (sheet == Sheet::kTabSheet1 || sheet == Sheet::kTabSheet2) {
        TabCtrl_SetCurSel(PageControl1, static_cast<int>(front));
    }
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        ShowWindow(sheets[i], i == front ? SW_SHOW : SW_HIDE);
    }
    SetWindowPos(sheets[front], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CALLBACK TForm3::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* form = reinterpret_cast<TForm3*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return form->HandleMessage(message, wparam, lparam);
}

LRESULT TForm3::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    gui_thread_.Check();
    switch (message) {
        case WM_SIZE:
            LayoutFrame();
            FormResize();
            return 0;
        case WM_COMMAND:
            if (lparam == 0 || HIWORD(wparam) == BN_CLICKED) {
                Command(LOWORD(wparam));
            }
            return 0;
        case WM_NOTIFY: {
            const auto* notice = reinterpret_cast<const NMHDR*>(lparam);
            if (notice->hwndFrom == PageControl1 && notice->code == TCN_SELCHANGE) {
                ShowSheet(TabCtrl_GetCurSel(PageControl1) == 1 ? Sheet::kTabSheet2
                                                               : Sheet::kTabSheet1);
            }
            return 0;
        }
        case WM_DRAWITEM:
            DrawThemeButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            return ControlColour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
        case WM_CLOSE:
            // Closing asks the application to end once control is back in its main loop; the
            // window stays until its owner destroys it.
            FormCloseQuery();
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(Form3, message, wparam, lparam);
    }
}

LRESULT TForm3::ControlColour(HDC dc, HWND control) {
    const bool on_base = control == Memo1 || control == Memo2;
    SetTextColor(
        dc, ThemeRgb(IsWindowEnabled(control) ? ThemeColour::kText : ThemeColour::kDisabledText));
    SetBkColor(dc, ThemeRgb(on_base ? ThemeColour::kBase : ThemeColour::kWindow));
    return reinterpret_cast<LRESULT>(
        ThemeBrush(on_base ? ThemeColour::kBase : ThemeColour::kWindow));
}

void TForm3::Command(UINT id) {
    for (const MenuItem& item : kMenuItems) {
        if (item.id == id) {
            (this->*item.chosen)();
            return;
        }
    }
    for (const auto* row : {kFileButtons.data(), kLanguageButtons.data(), kJobButtons.data()}) {
        const std::size_t count = row == kFileButtons.data()       ? kFileButtons.size()
                                  : row == kLanguageButtons.data() ? kLanguageButtons.size()
                                                                   : kJobButtons.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (static_cast<UINT>(row[i].id) == id) {
                (this->*row[i].clicked)();
                return;
            }
        }
    }
    // A language box ticks itself; nothing happens until a batch reads it.
}

// The frame's own layout: the progress panel along the bottom, the job panel above it, the
// tab control in the rest; each tab page over the tab control's display area with its
// button row along its bottom.
void TForm3::LayoutFrame() {
    RECT client;
    GetClientRect(Form3, &client);
    const int width = client.right;
    const int height = client.bottom;
    const int top_height = std::max(0, height - kJobPanelHeight - kProgressPanelHeight);
    Place(Panel2, 0, 0, width, top_height);
    Place(Panel8, 0, top_height, width, kJobPanelHeight);
    Place(Panel3, 0, top_height + kJobPanelHeight, width, kProgressPanelHeight);

    // Inside the panels' one-pixel bevel.
    Place(PageControl1, 1, 1, width - 2, top_height - 2);
    Place(lbl1, 1, 1, width - 2, kProgressLineHeight);
    Place(lbl2, 1, 1 + kProgressLineHeight, width - 2, kProgressLineHeight);

    RECT display{0, 0, width - 2, top_height - 2};
    TabCtrl_AdjustRect(PageControl1, FALSE, &display);
    const int sheet_width = display.right - display.left;
    const int sheet_height = display.bottom - display.top;
    const int body_height = std::max(0, sheet_height - kButtonPanelHeight);
    for (HWND sheet : {TabSheet1, TabSheet2, TabSheet3, TabSheet4}) {
        Place(sheet, display.left + 1, display.top + 1, sheet_width, sheet_height);
    }
    Place(Panel4, 0, 0, sheet_width, body_height);
    Place(ListView1, 1, 1, sheet_width - 2, body_height - 2);
    Place(Panel5, 0, body_height, sheet_width, kButtonPanelHeight);
    Place(Panel6, 0, 0, sheet_width, body_height);
    Place(ScrollBox1, 1, 1, sheet_width - 2, body_height - 2);
    Place(Panel7, 0, body_height, sheet_width, kButtonPanelHeight);
    Place(Memo1, 0, 0, sheet_width, sheet_height);
    Place(Memo2, 0, 0, sheet_width, sheet_height);

    // The two columns share the list's width.
    RECT list;
    GetClientRect(ListView1, &list);
    ListView_SetColumnWidth(ListView1, 0, list.right / 2);
    ListView_SetColumnWidth(ListView1, 1, list.right - list.right / 2);
}

void TForm3::FormResize() {
    gui_thread_.Check();
    PlaceButtons();
    PlaceLanguageBoxes();
}

void TForm3::PlaceButtons() {
    const int gap = ButtonGap(WidthOf(Button10));

    const int job_width = JobButtonWidth(WidthOf(Panel8));
    int left = 1;  // inside the panel's bevel
    for (const RowButton& job : kJobButtons) {
        Place(this->*job.member, left, 1, job_width, kJobButtonHeight);
        left += job_width;
    }

    const LanguageButtonLefts languages = PlaceLanguageButtons(
        WidthOf(Panel7), {WidthOf(Button9), WidthOf(Button10), WidthOf(Button11)}, gap);
    MoveLeftTo(Button10, languages.select_none);
    MoveLeftTo(Button9, languages.select_all);
    MoveLeftTo(Button11, languages.inverse);

    const FileButtonLefts files =
        PlaceFileButtons(WidthOf(Panel5),
                         {WidthOf(Button7), WidthOf(Button1), WidthOf(Button3), WidthOf(Button8),
                          WidthOf(Button4), WidthOf(Button5), WidthOf(Button6)},
                         gap);
    MoveLeftTo(Button8, files.select_none);
    MoveLeftTo(Button3, files.select_all);
    MoveLeftTo(Button1, files.add_folder);
    MoveLeftTo(Button7, files.add_files);
    MoveLeftTo(Button4, files.inverse);
    MoveLeftTo(Button5, files.delete_selected);
    MoveLeftTo(Button6, files.delete_all);
}

void TForm3::btnTranslateClick() {
    gui_thread_.Check();
    if (translate_handler_) {
        translate_handler_();
    }
}

void TForm3::btnPauseClick() {
    gui_thread_.Check();
    // The caption is the state.
    const std::u16string caption = TextOf(btnPause);
    if (caption == u"Pause") {
        SetText(btnPause, u"Continue");
        job_flags_.RequestPause();
    } else if (caption == u"Continue") {
        SetText(btnPause, u"Pause");
        job_flags_.Resume();
    }
}

void TForm3::btnCancelClick() {
    gui_thread_.Check();
    // Pause is dropped too, so that a paused batch leaves its wait and stops.
    job_flags_.RequestCancel();
    EnableWindow(btnTranslate, TRUE);
    EnableWindow(btnPause, FALSE);
    EnableWindow(btnCancel, FALSE);
}

void TForm3::FormCloseQuery() {
    gui_thread_.Check();
    if (IsWindowEnabled(btnCancel)) {
        btnCancelClick();
    }
}

void TForm3::JobStarted() {
    gui_thread_.Check();
    job_flags_.Clear();
    EnableWindow(btnTranslate, FALSE);
    EnableWindow(btnPause, TRUE);
    EnableWindow(btnCancel, TRUE);
}

void TForm3::JobEndedNormally() {
    gui_thread_.Check();
    job_flags_.Clear();
    EnableWindow(btnTranslate, TRUE);
    EnableWindow(btnPause, FALSE);
    EnableWindow(btnCancel, FALSE);
}

void TForm3::SetInputsEnabled(InputsState state) {
    gui_thread_.Check();
    const BOOL enabled = state == InputsState::kEnabled ? TRUE : FALSE;
    // Every button and check box placed directly on Panel5, in the panel's own order.
    for (HWND child = GetWindow(Panel5, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t class_name[16] = {};
        GetClassNameW(child, class_name, 16);
        if (lstrcmpiW(class_name, WC_BUTTONW) == 0) {
            EnableWindow(child, enabled);
        }
    }
    for (HWND box : LanguageBoxes) {
        if (box != nullptr) {
            EnableWindow(box, enabled);
        }
    }
}

void TForm3::ResetProgress() {
    gui_thread_.Check();
    SetWindowTextW(lbl1, L"0/0 File(s)");
    SetWindowTextW(lbl2, L"0/0 Language(s)");
    SetInputsEnabled(InputsState::kEnabled);
}

void TForm3::AddFile1Click() {
    gui_thread_.Check();
    Button7Click();
}

void TForm3::AddAllFilesFromFolder1Click() {
    gui_thread_.Check();
    Button1Click();
}

// Asks the application to end once control is back in its main loop. No close, so no
// Cancel and no change to the job flags.
void TForm3::Exit1Click() {
    gui_thread_.Check();
    PostQuitMessage(0);
}

void TForm3::About1Click() {
    gui_thread_.Check();
    if (about_handler_) {
        about_handler_();
    }
}

}  // namespace quillmoor::win
