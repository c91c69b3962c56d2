// Strings that the engine library hands out: cef_string_t copies that the library's own
// destructor frees, strings for the receiver to free, and the string-list handle.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/cef_capi.h"

namespace quillmoor::scripted_engine {

// Frees a text that this library allocated for a cef_string_t.
void FreeText(char16* text);

// Replaces out's contents (freed with its own destructor) by a copy of text that out owns.
void AssignCopy(cef_string_t* out, std::u16string_view text);
// A string for the receiver to free with cef_string_userfree_utf16_free.
cef_string_userfree_t NewUserFreeString(std::u16string_view text);

// What a cef_string_list_t handle of this library points to.
using StringList = std::vector<std::u16string>;
inline StringList* AsStringList(cef_string_list_t list) {
    return static_cast<StringList*>(list);
}

}  // namespace quillmoor::scripted_engine
