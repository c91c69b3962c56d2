#include <cstdio>
#include <string>

#include "platform/debugger_output.h"
#include "platform/utf.h"

namespace quillmoor {

void WriteDebuggerOutput(std::u16string_view line) {
    std::string text;
    for (const char c : Utf16ToUtf8(line)) {
        if (c != '\r') {
            text += c;
        }
    }
    text += '\n';
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace quillmoor
