// Where the engine start-up of the window program reports its failures.
#pragma once

#include <functional>
#include <string_view>

#include "startup/startup_reporter.h"

namespace quillmoor {

// With the toolkit up (a display exists), a failure is shown in the error box and its line
// goes to the debugger output. Without a display there is no box: the text goes to
// standard error once, and the debugger line, which would repeat it there, is left out.
class GuiStartupReporter final : public StartupReporter {
  public:
    // Shows text in a message box titled "Error"; returns when it is closed.
    using ErrorBox = std::function<void(std::u16string_view text)>;

    // box empty: no display.
    explicit GuiStartupReporter(ErrorBox box = {}) : box_(std::move(box)) {}

    void ShowError(std::u16string_view text) override;
    void WriteDebugLine(std::u16string_view line) override;

  private:
    ErrorBox box_;
};

}  // namespace quillmoor
