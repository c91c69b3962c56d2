// The message box that reports a failure the user has to act on.
#pragma once

#include <string_view>

namespace quillmoor {

// Shows text in a modal message box without owner window, titled "Error", with the error
// icon and an OK button, kept on top of all other windows; returns when it is closed.
// Where the system has no message boxes, the text goes to standard error.
void ShowErrorMessageBox(std::u16string_view text);

}  // namespace quillmoor
