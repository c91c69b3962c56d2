#include "platform/debugger_output.h"
#include "platform/standard_error.h"

namespace quillmoor {

void WriteDebuggerOutput(std::u16string_view line) {
    WriteToStandardError("", line);
}

}  // namespace quillmoor
