// The main window as the batch drives it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "pipeline/inputs_state.h"
#include "pipeline/run_progress_view.h"

namespace quillmoor {

// The two tab pages that a refused batch brings to the front.
enum class BatchTab {
    kFiles,      // TabSheet1, "File"
    kLanguages,  // TabSheet2, "Language"
};

// The enabled states of the job buttons.
enum class JobButtons {
    kIdle,     // Translate enabled; Pause and Cancel disabled
    kRunning,  // Translate disabled; Pause and Cancel enabled
};

// The answer to a question with the buttons OK and Cancel.
enum class OkCancel { kOk, kCancel };

// The file list, the language boxes, the progress lines, the job buttons and the window's
// dialogs. Everything is called on the GUI thread; message boxes and questions return when
// the user has closed them (their own message loop runs meanwhile). The language progress
// line lbl2 is RunProgressView::ShowLanguageProgress.
class BatchView : public RunProgressView {
  public:
    // ---- File list (ListView1), in list order ----
    // The number of rows now.
    virtual int FileCount() const = 0;
    // Row row's "Path" text (the folder, ending with a separator) and "File" text.
    virtual std::u16string FilePathText(int row) const = 0;
    virtual std::u16string FileNameText(int row) const = 0;

    // ---- Language boxes (LanguageBoxes, one slot per catalogue entry) ----
    virtual std::size_t LanguageBoxCount() const = 0;
    // Whether the box in slot index is ticked now.
    virtual bool IsLanguageTicked(std::size_t index) const = 0;
    // The number of ticked boxes now.
    virtual int CountCheckedLanguages() const = 0;

    // ---- Progress and job controls ----
    // Sets the file progress line lbl1.
    virtual void ShowFileProgress(std::u16string_view text) = 0;
    // lbl1 "0/0 File(s)", lbl2 "0/0 Language(s)", then the inputs unlocked.
    virtual void ResetProgress() = 0;
    // Locks or unlocks the file buttons and the language boxes.
    virtual void SetInputsEnabled(InputsState state) = 0;
    virtual void SetJobButtons(JobButtons state) = 0;
    virtual void BringTabToFront(BatchTab tab) = 0;

    // ---- Dialogs and the desktop ----
    // A plain message box with an OK button.
    virtual void ShowMessage(std::u16string_view text) = 0;
    // A confirmation box with OK and Cancel; closing it counts as Cancel.
    virtual OkCancel AskOkCancel(std::u16string_view text) = 0;
    // Has the desktop open the folder at path (which exists) with the main window as owner.
    // What the desktop answers is not looked at.
    virtual void OpenFolder(const std::u16string& path) = 0;

  protected:
    ~BatchView() = default;
};

// Declares every method of BatchView (RunProgressView's included) as an override, in a class
// that implements them all.
#define QUILLMOOR_BATCH_VIEW_OVERRIDES                            \
    int FileCount() const override;                               \
    std::u16string FilePathText(int row) const override;          \
    std::u16string FileNameText(int row) const override;          \
    std::size_t LanguageBoxCount() const override;                \
    bool IsLanguageTicked(std::size_t index) const override;      \
    int CountCheckedLanguages() const override;                   \
    void ShowFileProgress(std::u16string_view text) override;     \
    void ShowLanguageProgress(std::u16string_view text) override; \
    void EmptyTextBuffers() override;                             \
    void ResetProgress() override;                                \
    void SetInputsEnabled(InputsState state) override;            \
    void SetJobButtons(JobButtons state) override;                \
    void BringTabToFront(BatchTab tab) override;                  \
    void ShowMessage(std::u16string_view text) override;          \
    OkCancel AskOkCancel(std::u16string_view text) override;      \
    void OpenFolder(const std::u16string& path) override

}  // namespace quillmoor
