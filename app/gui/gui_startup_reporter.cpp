#include "app/gui/gui_startup_reporter.h"

#include "platform/debugger_output.h"
#include "platform/standard_error.h"

namespace quillmoor {

void GuiStartupReporter::ShowError(std::u16string_view text) {
    if (box_) {
        box_(text);
    } else {
        WriteToStandardError("Error: ", text);
    }
}

void GuiStartupReporter::WriteDebugLine(std::u16string_view line) {
    if (box_) {
        WriteDebuggerOutput(line);
    }
}

}  // namespace quillmoor
