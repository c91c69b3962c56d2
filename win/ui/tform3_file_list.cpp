// The file tab of the main window: the list of source files and its buttons.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "pipeline/source_file_choice.h"
#include "platform/file_system.h"
#include "win/ui/dialogs.h"
#include "win/ui/tform3.h"

namespace quillmoor::win {

void TForm3::Button7Click() {
    gui_thread_.Check();
    const std::vector<std::u16string> chosen =
        dialogs_.ChooseFiles(ParseBarFilter(kSourceFileFilter));
    if (chosen.empty() || (chosen.size() == 1 && chosen.front().empty())) {
        return;
    }
    AddFileRows(chosen);
}

void TForm3::AddFileRows(const std::vector<std::u16string>& full_paths) {
    for (const std::u16string& full_path : full_paths) {
        if (full_path.empty()) {
            continue;
        }
        const FileListRow row = FileListRowFor(full_path);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = ListView_GetItemCount(ListView1);
        item.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(row.file.c_str()));
        const int index = ListView_InsertItem(ListView1, &item);
        ListView_SetItemText(
            ListView1, index, 1,
            const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(row.path.c_str())));
    }
}

void TForm3::Button1Click() {
    gui_thread_.Check();
    const std::u16string folder = dialogs_.ChooseFolder(u"C:\\Windows");
    if (folder.empty()) {
        return;
    }
    if (!DirectoryExists(folder)) {
        if (dialogs_.Ask(u"The folder " + folder + u" does not exist. Create it?",
                         Dialogs::Question::kYesNo) != Dialogs::Answer::kYes) {
            return;
        }
        MakeDirectories(folder);
    }
    dialogs_.ShowMessage(folder);
}

void TForm3::Button3Click() {
    gui_thread_.Check();
    ListView_SetItemState(ListView1, -1, LVIS_SELECTED, LVIS_SELECTED);
}

void TForm3::Button8Click() {
    gui_thread_.Check();
    ListView_SetItemState(ListView1, -1, 0, LVIS_SELECTED);
}

void TForm3::Button4Click() {
    gui_thread_.Check();
    for (int row = 0; row < FileCount(); ++row) {
        SetFileSelected(row, !IsFileSelected(row));
    }
}

void TForm3::Button5Click() {
    gui_thread_.Check();
    if (dialogs_.Ask(u"Delete Select Items?", Dialogs::Question::kYesNo) != Dialogs::Answer::kYes) {
        return;
    }
    for (int row = FileCount() - 1; row >= 0; --row) {
        if (IsFileSelected(row)) {
            ListView_DeleteItem(ListView1, row);
        }
    }
}

void TForm3::Button6Click() {
    gui_thread_.Check();
    if (dialogs_.Ask(u"Delete All Items?", Dialogs::Question::kYesNo) != Dialogs::Answer::kYes) {
        return;
    }
    for (int row = FileCount() - 1; row >= 0; --row) {
        ListView_DeleteItem(ListView1, row);
    }
}

int TForm3::FileCount() const {
    gui_thread_.Check();
    return ListView_GetItemCount(ListView1);
}

namespace {

std::u16string ItemText(HWND list, int row, int column) {
    // A path is at most 32767 characters long.
    std::u16string text(32768, u'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(text.data());
    item.cchTextMax = static_cast<int>(text.size());
    const auto length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                     reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

std::u16string TForm3::FileName(int row) const {
    gui_thread_.Check();
    return ItemText(ListView1, row, 0);
}

std::u16string TForm3::FilePath(int row) const {
    gui_thread_.Check();
    return ItemText(ListView1, row, 1);
}

bool TForm3::IsFileSelected(int row) const {
    gui_thread_.Check();
    return ListView_GetItemState(ListView1, row, LVIS_SELECTED) != 0;
}

void TForm3::SetFileSelected(int row, bool selected) {
    gui_thread_.Check();
    ListView_SetItemState(ListView1, row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

}  // namespace quillmoor::win
