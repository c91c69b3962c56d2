// How a browser turns the bytes of a page file into text, written plainly for checking the
// pages the program writes: a byte order mark first, then a character set that a meta
// element declares in the first 1024 bytes, then the default.
#pragma once

#include <string>
#include <string_view>

namespace quillmoor::test_support {

// What a browser falls back on for a page that has neither a mark nor a declaration.
enum class BrowserDefault {
    // A Western system: windows-1252.
    kWindows1252,
    // A UTF-8 system: UTF-8 when the bytes are valid UTF-8, else windows-1252 (Chromium
    // guesses the encoding of undeclared pages; Latin text that is not UTF-8 reads as
    // windows-1252).
    kUtf8ElseWindows1252,
};

// The text a browser makes of bytes. Knows the encodings the tests use: UTF-8, UTF-16,
// windows-1252 (with its labels iso-8859-1, latin1 and us-ascii) and Shift_JIS.
std::u16string DecodeAsBrowser(std::string_view bytes, BrowserDefault fallback);

// The name of the encoding DecodeAsBrowser uses for bytes, for messages.
std::string EncodingSeenByBrowser(std::string_view bytes, BrowserDefault fallback);

}  // namespace quillmoor::test_support
