#include "app/gui/tform3_batch_view.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>

#include "ui/tform3.h"
#include "ui/user_dialogs.h"

namespace quillmoor {

int TForm3BatchView::FileCount() const {
    return form_.FileCount();
}

std::u16string TForm3BatchView::FilePathText(int row) const {
    return form_.FilePath(row).toStdU16String();
}

std::u16string TForm3BatchView::FileNameText(int row) const {
    return form_.FileName(row).toStdU16String();
}

std::size_t TForm3BatchView::LanguageBoxCount() const {
    return form_.LanguageBoxes.size();
}

bool TForm3BatchView::IsLanguageTicked(std::size_t index) const {
    const QCheckBox* box = form_.LanguageBoxes.at(index);
    return box != nullptr && box->isChecked();
}

int TForm3BatchView::CountCheckedLanguages() const {
    return form_.CountCheckedLanguages();
}

void TForm3BatchView::ShowFileProgress(std::u16string_view text) {
    form_.lbl1->setText(QStringView(text).toString());
}

void TForm3BatchView::ShowLanguageProgress(std::u16string_view text) {
    form_.lbl2->setText(QStringView(text).toString());
}

void TForm3BatchView::EmptyTextBuffers() {
    form_.Memo1->clear();
    form_.Memo2->clear();
}

void TForm3BatchView::ResetProgress() {
    form_.ResetProgress();
}

void TForm3BatchView::SetInputsEnabled(InputsState state) {
    form_.SetInputsEnabled(state);
}

void TForm3BatchView::SetJobButtons(JobButtons state) {
    if (state == JobButtons::kRunning) {
        form_.JobStarted();
    } else {
        form_.JobEndedNormally();
    }
}

void TForm3BatchView::BringTabToFront(BatchTab tab) {
    form_.PageControl1->setCurrentWidget(tab == BatchTab::kFiles ? form_.TabSheet1
                                                                 : form_.TabSheet2);
}

void TForm3BatchView::ShowMessage(std::u16string_view text) {
    dialogs_.ShowMessage(&form_, QStringView(text).toString());
}

OkCancel TForm3BatchView::AskOkCancel(std::u16string_view text) {
    return dialogs_.Ask(&form_, QStringView(text).toString(), UserDialogs::Question::kOkCancel) ==
                   UserDialogs::Answer::kOk
               ? OkCancel::kOk
               : OkCancel::kCancel;
}

void TForm3BatchView::OpenFolder(const std::u16string& path) {
    dialogs_.OpenLink(
        QUrl::fromLocalFile(QDir::fromNativeSeparators(QStringView(path).toString())));
}

}  // namespace quillmoor
