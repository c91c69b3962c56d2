// The main window as the batch drives it.
#pragma once

#include "pipeline/batch_view.h"

namespace quillmoor {

class TForm3;
class UserDialogs;

class TForm3BatchView final : public BatchView {
  public:
    // form and dialogs must outlive the view. GUI thread.
    TForm3BatchView(TForm3& form, UserDialogs& dialogs) : form_(form), dialogs_(dialogs) {}

    int FileCount() const override;
    std::u16string FilePathText(int row) const override;
    std::u16string FileNameText(int row) const override;
    std::size_t LanguageBoxCount() const override;
    bool IsLanguageTicked(std::size_t index) const override;
    int CountCheckedLanguages() const override;
    void ShowFileProgress(std::u16string_view text) override;
    void ShowLanguageProgress(std::u16string_view text) override;
    void EmptyTextBuffers() override;
    void ResetProgress() override;
    void SetInputsEnabled(InputsState state) override;
    void SetJobButtons(JobButtons state) override;
    void BringTabToFront(BatchTab tab) override;
    void ShowMessage(std::u16string_view text) override;
    OkCancel AskOkCancel(std::u16string_view text) override;
    void OpenFolder(const std::u16string& path) override;

  private:
    TForm3& form_;          // GUI thread
    UserDialogs& dialogs_;  // GUI thread
};

}  // namespace quillmoor
