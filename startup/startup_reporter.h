// Where the engine start-up reports its failures.
#pragma once

#include <string_view>

namespace quillmoor {

class StartupReporter {
  public:
    virtual ~StartupReporter() = default;

    // A failure the user must see (a message box titled "Error").
    virtual void ShowError(std::u16string_view text) = 0;
    // One line for a developer (the debugger output).
    virtual void WriteDebugLine(std::u16string_view line) = 0;
};

}  // namespace quillmoor
