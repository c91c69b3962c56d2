// Reports start-up failures through the system: message box and debugger output.
#pragma once

#include "startup/startup_reporter.h"

namespace quillmoor {

class SystemStartupReporter : public StartupReporter {
  public:
    void ShowError(std::u16string_view text) override;
    void WriteDebugLine(std::u16string_view line) override;
};

}  // namespace quillmoor
