#include "tests/win/scripted_engine/library/engine_strings.h"

#include <cstring>

namespace quillmoor::scripted_engine {

void FreeText(char16* text) {
    delete[] text;
}

void AssignCopy(cef_string_t* out, std::u16string_view text) {
    auto* copy = new char16[text.size() + 1];
    std::memcpy(copy, text.data(), text.size() * sizeof(char16));
    copy[text.size()] = 0;
    if (out->dtor != nullptr && out->str != nullptr) {
        out->dtor(out->str);
    }
    out->str = copy;
    out->length = text.size();
    out->dtor = &FreeText;
}

cef_string_userfree_t NewUserFreeString(std::u16string_view text) {
    auto* string = new cef_string_t{};
    AssignCopy(string, text);
    return string;
}

}  // namespace quillmoor::scripted_engine
