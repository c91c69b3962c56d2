// The three text steps that turn a source page into the temporary page that the hidden
// browser loads: read the page, write the widget into it, write the temporary page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "pipeline/page_encoding.h"
#include "platform/ansi_code_page.h"

namespace quillmoor {

// Source pages larger than this are refused with a FileSystemError: their text would not
// fit the memory of a 32-bit process several times over, and no browser renders them.
inline constexpr std::uint64_t kMaxPageFileBytes = std::uint64_t{128} * 1024 * 1024;

// A source page as read: its text, and the encoding its temporary page is written in so
// that a browser reads the temporary page as it would read the source. A page that came with
// a byte order mark is written as UTF-8 behind a mark; one without is written in the code
// page it was read in, so that its bytes pass through unchanged (and its own declaration,
// if it has one, still holds).
struct SourcePage {
    std::u16string text;
    PageEncoding encoding;
};

// The source page of the file at path: its text as DecodePageText reads it, with room for
// the widget. Throws FileSystemError when the file cannot be read or is too large.
SourcePage ReadSourcePage(const std::u16string& path,
                          const AnsiCodePage& code_page = AnsiCodePage::System());

// The text of ReadSourcePage(path, code_page).
std::u16string ReadPageText(const std::u16string& path,
                            const AnsiCodePage& code_page = AnsiCodePage::System());

// The page text with the widget snippet for language_code in front of the first "<head", or
// else of the first "<body" (exact, case-sensitive matches); nothing when the page has
// neither. No character of the page is lost. Takes the page text over, so that a caller
// who no longer needs it can move it in and spare a copy.
std::optional<std::u16string> InjectWidget(std::u16string page_text,
                                           std::u16string_view language_code);

// The page text with the widget snippet just after the start tag of the first "<body" (an
// exact match that starts a whole body start tag), so that the browser keeps the page's head
// as its head; without one, as InjectWidget places it. Nothing when the page has neither
// "<head" nor "<body". A translated site's pages are made this way.
std::optional<std::u16string> InjectWidgetInBody(std::u16string page_text,
                                                 std::u16string_view language_code);

// Writes injected_text (its line breaks normalised) as the temporary page at path, in
// encoding (that of the SourcePage it was made from), and returns the path written. A file
// at path that this program did not write is never touched: the page then goes to the
// first free name among page-temp-2.html, page-temp-3.html, ... A temporary page left by an
// earlier run (one that holds the snippet) is replaced. Throws FileSystemError when the
// page cannot be written.
std::u16string WriteTempPage(const std::u16string& path, std::u16string_view injected_text,
                             const PageEncoding& encoding);

// WriteTempPage in PageEncoding::InCodePage(code_page): right for the text of a page that was
// read without a byte order mark in code_page.
std::u16string WriteTempPage(const std::u16string& path, std::u16string_view injected_text,
                             const AnsiCodePage& code_page = AnsiCodePage::System());

// True when the file at path is a temporary page: a file that holds the widget snippet.
bool IsTempPage(const std::u16string& path);

// Removes the temporary page at path; a file that is not one stays. Returns true when a
// temporary page was removed.
bool RemoveTempPage(const std::u16string& path);

}  // namespace quillmoor
