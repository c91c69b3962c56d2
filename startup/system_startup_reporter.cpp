#include "startup/system_startup_reporter.h"

#include "platform/debugger_output.h"
#include "platform/error_message_box.h"

namespace quillmoor {

void SystemStartupReporter::ShowError(std::u16string_view text) {
    ShowErrorMessageBox(text);
}

void SystemStartupReporter::WriteDebugLine(std::u16string_view line) {
    WriteDebuggerOutput(line);
}

}  // namespace quillmoor
