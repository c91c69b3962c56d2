// The address that the engine is given for a text of the address box: the engine loads
// addresses, and a plain file-system path becomes the file address of that file.
#pragma once

#include <string>
#include <string_view>

#include "pipeline/path_names.h"

namespace quillmoor {

// A text with a scheme ("https:", "file:", "about:") passes unchanged, as does anything
// that is not an absolute path. An absolute path ("/dir/x.html" in the POSIX style;
// "C:\dir\x.html", "C:/dir/x.html" or "\\server\share\x.html" in the Windows style)
// becomes a "file:" address, its characters in UTF-8 with everything a URL path cannot
// hold percent-encoded.
std::u16string EngineAddressOf(std::u16string_view text, PathStyle style);

// EngineAddressOf in the path style of this system.
inline std::u16string EngineAddressOf(std::u16string_view text) {
    return EngineAddressOf(text, kNativePathStyle);
}

// Whether two addresses name the same document: equal once their percent-escapes are
// decoded and their fragments ("#..." , which a page may set without leaving) dropped.
bool IsSameDocumentAddress(std::u16string_view a, std::u16string_view b);

}  // namespace quillmoor
