// What the page run shows of its progress in the main window.
#pragma once

#include <string_view>

namespace quillmoor {

// The main window's parts that the page run writes to; called on the GUI thread.
class RunProgressView {
  public:
    // Sets the language progress line lbl2 to text (see LanguageProgressText).
    virtual void ShowLanguageProgress(std::u16string_view text) = 0;

    // Empties the text buffers Memo1 and Memo2.
    virtual void EmptyTextBuffers() = 0;

  protected:
    // A view is never deleted through this interface: its owner holds the whole window.
    ~RunProgressView() = default;
};

}  // namespace quillmoor
