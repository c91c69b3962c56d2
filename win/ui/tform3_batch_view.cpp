#include "win/ui/tform3_batch_view.h"

#include "win/ui/dialogs.h"
#include "win/ui/tform3.h"

namespace quillmoor::win {

int TForm3BatchView::FileCount() const {
    gui_thread_.Check();
    return form_.FileCount();
}

std::u16string TForm3BatchView::FilePathText(int row) const {
    gui_thread_.Check();
    return form_.FilePath(row);
}

std::u16string TForm3BatchView::FileNameText(int row) const {
    gui_thread_.Check();
    return form_.FileName(row);
}

std::size_t TForm3BatchView::LanguageBoxCount() const {
    gui_thread_.Check();
    return form_.LanguageBoxes.size();
}

bool TForm3BatchView::IsLanguageTicked(std::size_t index) const {
    gui_thread_.Check();
    return form_.IsLanguageTicked(index);
}

int TForm3BatchView::CountCheckedLanguages() const {
    gui_thread_.Check();
    return form_.CountCheckedLanguages();
}

void TForm3BatchView::ShowFileProgress(std::u16string_view text) {
    gui_thread_.Check();
    TForm3::SetText(form_.lbl1, text);
}

void TForm3BatchView::ShowLanguageProgress(std::u16string_view text) {
    gui_thread_.Check();
    TForm3::SetText(form_.lbl2, text);
}

void TForm3BatchView::EmptyTextBuffers() {
    gui_thread_.Check();
    TForm3::SetText(form_.Memo1, u"");
    TForm3::SetText(form_.Memo2, u"");
}

void TForm3BatchView::ResetProgress() {
    gui_thread_.Check();
    form_.ResetProgress();
}

void TForm3BatchView::SetInputsEnabled(InputsState state) {
    gui_thread_.Check();
    form_.SetInputsEnabled(state);
}

void TForm3BatchView::SetJobButtons(JobButtons state) {
    gui_thread_.Check();
    if (state == JobButtons::kRunning) {
        form_.JobStarted();
    } else {
        form_.JobEndedNormally();
    }
}

void TForm3BatchView::BringTabToFront(BatchTab tab) {
    gui_thread_.Check();
    form_.ShowSheet(tab == BatchTab::kFiles ? Sheet::kTabSheet1 : Sheet::kTabSheet2);
}

void TForm3BatchView::ShowMessage(std::u16string_view text) {
    gui_thread_.Check();
    dialogs_.ShowMessage(text);
}

OkCancel TForm3BatchView::AskOkCancel(std::u16string_view text) {
    gui_thread_.Check();
    return dialogs_.Ask(text, Dialogs::Question::kOkCancel) == Dialogs::Answer::kOk
               ? OkCancel::kOk
               : OkCancel::kCancel;
}

void TForm3BatchView::OpenFolder(const std::u16string& path) {
    gui_thread_.Check();
    dialogs_.OpenLink(path);
}

}  // namespace quillmoor::win
