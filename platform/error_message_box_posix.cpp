#include "platform/error_message_box.h"
#include "platform/standard_error.h"

namespace quillmoor {

void ShowErrorMessageBox(std::u16string_view text) {
    WriteToStandardError("Error: ", text);
}

}  // namespace quillmoor
