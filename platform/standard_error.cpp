#include "platform/standard_error.h"

#include <cstdio>
#include <string>

#include "platform/utf.h"

namespace quillmoor {

void WriteToStandardError(std::string_view prefix, std::u16string_view text) {
    std::string line(prefix);
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
