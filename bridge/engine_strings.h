// Conversions between the engine's strings (cef_string_t, UTF-16 with an owner's
// destructor) and the library's own, and the string-list handle the library hands out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/cef_capi.h"

namespace quillmoor::bridge {

// The contents of s (nullptr: empty).
std::u16string Utf16Of(const cef_string_t* s);
std::string Utf8Of(const cef_string_t* s);

// Replaces out's contents by a copy of text that out owns (freed by cef_string_utf16_clear).
void AssignCopy(cef_string_t* out, std::u16string_view text);
// A string for the receiver to free with cef_string_userfree_utf16_free.
cef_string_userfree_t NewUserFreeString(std::u16string_view text);

// A cef_string_t that borrows text for the length of a call; the receiver must not keep it.
class BorrowedString {
  public:
    explicit BorrowedString(const std::u16string& text);
    BorrowedString(const BorrowedString&) = delete;
    BorrowedString& operator=(const BorrowedString&) = delete;
    const cef_string_t* get() const { return &string_; }
    cef_string_t* get() { return &string_; }

  private:
    cef_string_t string_{};
};

// What a cef_string_list_t handle of this library points to.
using StringList = std::vector<std::u16string>;
inline StringList* AsStringList(cef_string_list_t list) {
    return static_cast<StringList*>(list);
}

}  // namespace quillmoor::bridge
