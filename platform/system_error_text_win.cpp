#include "platform/system_error_text.h"

#include <windows.h>

#include <cstdio>

#include "platform/utf.h"

namespace quillmoor {

std::string SystemErrorText(uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text;
    if (length > 0 && buffer != nullptr) {
        text.assign(reinterpret_cast<const char16_t*>(buffer), length);
    }
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, "error 0x%08lX", static_cast<unsigned long>(code));
        return fallback;
    }
    return Utf16ToUtf8(text);
}

}  // namespace quillmoor
