// Strings that the engine library hands out (cef_string_t copies with the library's own
// destructor), and the string-list handle it hands out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/cef_capi.h"

namespace quillmoor::bridge {

// The contents of s as UTF-8 (nullptr: empty).
std::string Utf8Of(const cef_string_t* s);

// Replaces out's contents by a copy of text that out owns (freed by cef_string_utf16_clear).
void AssignCopy(cef_string_t* out, std::u16string_view text);
// A string for the receiver to free with cef_string_userfree_utf16_free.
cef_string_userfree_t NewUserFreeString(std::u16string_view text);

// What a cef_string_list_t handle of this library points to.
using StringList = std::vector<std::u16string>;
inline StringList* AsStringList(cef_string_list_t list) {
    return static_cast<StringList*>(list);
}

}  // namespace quillmoor::bridge
