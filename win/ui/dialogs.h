// The one way the Win32 windows talk to the user through dialogs: message boxes,
// questions, the open and folder dialogs and links handed to the shell. Free of any toolkit
// type, so that a test or a scripted session can answer every dialog without a person and
// without blocking; the program shows the system's own dialogs (SystemDialogs).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pipeline/source_file_choice.h"

namespace quillmoor::win {

class Dialogs {
  public:
    enum class Question { kYesNo, kOkCancel };
    enum class Answer { kYes, kNo, kOk, kCancel };

    virtual ~Dialogs() = default;

    // A confirmation box with the question's two buttons; the answer pressed. Closing the
    // box without a button counts as No or Cancel.
    virtual Answer Ask(std::u16string_view text, Question question) = 0;

    // A plain message box with an OK button.
    virtual void ShowMessage(std::u16string_view text) = 0;

    // An error box with its title.
    virtual void ShowError(std::u16string_view title, std::u16string_view text) = 0;

    // The open dialog: several files selectable, read-only box hidden, resizable, the first
    // of filter's choices in force when it opens. The full paths chosen, in the dialog's
    // order; empty when the user cancels.
    virtual std::vector<std::u16string> ChooseFiles(const std::vector<FilterChoice>& filter) = 0;

    // The folder chooser, opened at start_folder; the folder confirmed, or empty. The folder
    // may not exist yet.
    virtual std::u16string ChooseFolder(const std::u16string& start_folder) = 0;

    // Hands a link or a folder to the shell, which opens it with the user's program for it.
    virtual void OpenLink(const std::u16string& address) = 0;
};

// Declares every method of Dialogs as an override, in a class that implements them all.
#define QUILLMOOR_WIN_DIALOGS_OVERRIDES                                                        \
    Answer Ask(std::u16string_view text, Question question) override;                          \
    void ShowMessage(std::u16string_view text) override;                                       \
    void ShowError(std::u16string_view title, std::u16string_view text) override;              \
    std::vector<std::u16string> ChooseFiles(const std::vector<FilterChoice>& filter) override; \
    std::u16string ChooseFolder(const std::u16string& start_folder) override;                  \
    void OpenLink(const std::u16string& address) override

}  // namespace quillmoor::win
