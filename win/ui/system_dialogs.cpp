#include "win/ui/system_dialogs.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include "win/ui/open_dialog_filter.h"

namespace quillmoor::win {
namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

// The answer buffer of the open dialog: room for many long paths.
constexpr std::size_t kAnswerLength = 1 << 16;

int CALLBACK FolderChooserStarted(HWND chooser, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED) {
        SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, start);
    }
    return 0;
}

}  // namespace

void SystemDialogs::SetOwner(HWND owner) {
    gui_thread_.Check();
    owner_ = owner;
}

Dialogs::Answer SystemDialogs::Ask(std::u16string_view text, Question question) {
    gui_thread_.Check();
    const std::u16string shown(text);
    const UINT buttons = question == Question::kYesNo ? MB_YESNO : MB_OKCANCEL;
    const int pressed = MessageBoxW(owner_, Wide(shown), L"Confirm", buttons | MB_ICONQUESTION);
    if (question == Question::kYesNo) {
        return pressed == IDYES ? Answer::kYes : Answer::kNo;
    }
    return pressed == IDOK ? Answer::kOk : Answer::kCancel;
}

void SystemDialogs::ShowMessage(std::u16string_view text) {
    gui_thread_.Check();
    const std::u16string shown(text);
    MessageBoxW(owner_, Wide(shown), L"Quillmoor", MB_OK);
}

void SystemDialogs::ShowError(std::u16string_view title, std::u16string_view text) {
    gui_thread_.Check();
    const std::u16string shown_title(title);
    const std::u16string shown(text);
    MessageBoxW(owner_, Wide(shown), Wide(shown_title), MB_OK | MB_ICONERROR);
}

std::vector<std::u16string> SystemDialogs::ChooseFiles(const std::vector<FilterChoice>& filter) {
    gui_thread_.Check();
    const std::u16string filter_text = OpenDialogFilter(filter);
    std::u16string answer(kAnswerLength, u'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = Wide(filter_text);
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = reinterpret_cast<wchar_t*>(answer.data());
    dialog.nMaxFile = static_cast<DWORD>(answer.size());
    // No start folder and no title: the dialog's own defaults.
    dialog.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    if (!GetOpenFileNameW(&dialog)) {
        return {};
    }
    return OpenDialogPaths(answer);
}

std::u16string SystemDialogs::ChooseFolder(const std::u16string& start_folder) {
    gui_thread_.Check();
    BROWSEINFOW browse{};
    browse.hwndOwner = owner_;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
    browse.lpfn = FolderChooserStarted;
    browse.lParam = reinterpret_cast<LPARAM>(Wide(start_folder));
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) {
        return {};
    }
    std::u16string folder(MAX_PATH, u'\0');
    const bool named = SHGetPathFromIDListW(chosen, reinterpret_cast<wchar_t*>(folder.data()));
    CoTaskMemFree(chosen);
    if (!named) {
        return {};
    }
    folder.resize(folder.find(u'\0'));
    return folder;
}

void SystemDialogs::OpenLink(const std::u16string& address) {
    gui_thread_.Check();
    ShellExecuteW(owner_, L"open", Wide(address), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace quillmoor::win
