// What the page run shows of its progress in the main window.
#pragma once

#include <string_view>

namespace quillmoor {

// The main window's parts that the page run writes to; called on the GUI thread.
class RunProgressView {
  public:
    virtual ~RunProgressView() = default;

    // Sets the language progress line lbl2 to text (see LanguageProgressText).
    virtual void ShowLanguageProgress(std::u16string_view text) = 0;

    // Empties the text buffers Memo1 and Memo2.
    virtual void EmptyTextBuffers() = 0;
};

}  // namespace quillmoor
