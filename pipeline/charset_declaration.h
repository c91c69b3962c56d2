// The character set that a page's markup declares, found as a browser finds it, and the
// encodings of the web that the system's code pages correspond to.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/ansi_code_page.h"

namespace quillmoor {

// The web's name of the encoding that label names ("UTF-8", "windows-1252", "Shift_JIS",
// ...), as browsers read labels: case and surrounding white space do not matter, and several
// labels name one encoding (iso-8859-1, latin1 and us-ascii all name windows-1252). Nothing
// for a label that browsers do not know.
std::optional<std::string_view> WebEncodingOfLabel(std::u16string_view label);

// The web encoding whose bytes are those of code_page, or nothing when there is none.
std::optional<std::string_view> WebEncodingOf(const AnsiCodePage& code_page);

// Browsers look for a declaration in the first this many bytes of a page (code units, once
// it is read as text), and further only while no element has come that does not belong in
// the head.
inline constexpr std::size_t kDeclarationWindow = 1024;

// A character set declaration in markup.
struct CharsetDeclaration {
    // The web's name of the encoding that a browser reads the page in.
    std::string_view encoding;
    // Where the declaring meta element ends in the markup.
    std::size_t end;
};

// The declaration that a browser honours when it reads the markup from bytes without a byte
// order mark: the first meta element with a charset attribute, or with http-equiv
// "content-type" and a content attribute that names a charset, whose label browsers know.
// Browsers look through the first 1024 bytes and then on as long as only elements that
// belong in the head have come; so does this, counting code units. A declaration of UTF-16
// reads as UTF-8 (bytes that a browser scans for a declaration are not UTF-16), one of
// x-user-defined as windows-1252.
std::optional<CharsetDeclaration> FindCharsetDeclaration(std::u16string_view markup);

}  // namespace quillmoor
