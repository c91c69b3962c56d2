// Passing the program's UTF-16 texts to the engine and taking the engine's strings back.
#pragma once

#include <string>
#include <string_view>

#include "engine/cef_base_types.h"

namespace quillmoor {

static_assert(sizeof(char16) == sizeof(char16_t), "engine strings are UTF-16");

// An engine string that borrows text: no destructor, valid while text lives.
inline cef_string_t EngineStringView(std::u16string_view text) {
    return cef_string_t{const_cast<char16*>(reinterpret_cast<const char16*>(text.data())),
                        text.size(), nullptr};
}

// A copy of an engine string; empty for a null pointer or a null string.
inline std::u16string FromEngineString(const cef_string_t* text) {
    if (text == nullptr || text->str == nullptr) {
        return std::u16string();
    }
    return std::u16string(reinterpret_cast<const char16_t*>(text->str), text->length);
}

}  // namespace quillmoor
