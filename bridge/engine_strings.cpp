#include "bridge/engine_strings.h"

#include <cstring>

#include "platform/utf.h"

namespace quillmoor::bridge {

namespace {
void FreeCopiedText(char16* text) {
    delete[] text;
}
}  // namespace

std::u16string Utf16Of(const cef_string_t* s) {
    if (s == nullptr || s->str == nullptr || s->length == 0)
        return {};
    std::u16string text(s->length, u'\0');
    std::memcpy(text.data(), s->str, s->length * sizeof(char16));
    return text;
}

std::string Utf8Of(const cef_string_t* s) {
    return Utf16ToUtf8(Utf16Of(s));
}

void AssignCopy(cef_string_t* out, std::u16string_view text) {
    if (out->dtor != nullptr && out->str != nullptr)
        out->dtor(out->str);
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

BorrowedString::BorrowedString(const std::u16string& text) {
    // char16 and char16_t are both 16-bit code units.
    string_.str = reinterpret_cast<char16*>(const_cast<char16_t*>(text.data()));
    string_.length = text.size();
    string_.dtor = nullptr;
}

}  // namespace quillmoor::bridge
