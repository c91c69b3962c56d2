#include "bridge/engine_strings.h"

#include <cstring>

#include "engine/engine_string.h"
#include "platform/utf.h"

namespace quillmoor::bridge {

namespace {
void FreeCopiedText(char16* text) {
    delete[] text;
}
}  // namespace

std::string Utf8Of(const cef_string_t* s) {
    return Utf16ToUtf8(FromEngineString(s));
}

void AssignCopy(cef_string_t* out, std::u16string_view text) {
    if (out->dtor != nullptr && out->str != nullptr) {
        out->dtor(out->str);
    }
    auto* copy = new char16[text.size() + 1];
    std::memcpy(copy, text.data(), text.size() * sizeof(char16));
    copy[text.size()] = 0;
    out->str = copy;
    out->length = text.size();
    out->dtor = &FreeCopiedText;
}

cef_string_userfree_t NewUserFreeString(std::u16string_view text) {
    auto* string = new cef_string_t{};
    AssignCopy(string, text);
    return string;
}

}  // namespace quillmoor::bridge
