#include <cstdio>
#include <string>

#include "platform/error_message_box.h"
#include "platform/utf.h"

namespace quillmoor {

void ShowErrorMessageBox(std::u16string_view text) {
    std::string line = "Error: ";
    for (const char c : Utf16ToUtf8(text)) {
        if (c != '\r') {
            line += c;
        }
    }
    line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace quillmoor
