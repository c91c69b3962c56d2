// Storing a translated page in the result tree.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/folder_copy.h"
#include "pipeline/result_layout.h"
#include "pipeline/source_names.h"
#include "platform/ansi_code_page.h"

namespace quillmoor {

// Replaces the file at path by text followed by CR LF, in the encoding in which browsers
// read it as that text. When the text declares a character set (see
// FindCharsetDeclaration): in code_page when that is the set declared; in UTF-8 when that is
// the set declared and its declaration ends within the first 1024 bytes; otherwise as UTF-8
// behind a byte order mark, which browsers honour above any declaration. When the text
// declares none: in code_page. Where code_page lacks a character, as UTF-8 behind a mark
// (see PageEncoding::InCodePage). The file is replaced whole or not at all: on any failure (a
// read-only file, a folder that cannot be written, a full disk) it keeps its earlier content
// and FileSystemError is thrown.
void WriteTextFile(const std::u16string& path, std::u16string_view text,
                   const AnsiCodePage& code_page = AnsiCodePage::System());

// What StoreResult stored.
struct StoredResult {
    // The markup cleaned of the widget's traces, as it was written.
    std::u16string markup;
    // The entries of the resource folder that were not copied (see CopyFolder).
    std::vector<PassedOverEntry> passed_over;
};

// Cleans markup of the widget's traces and stores it as the result of the source file in
// the language at language_index: result_root, the file name, the language code and the file
// name again. The page's resource folder, when it exists, is copied beside the result first,
// in place of the one stored there before (see ReplaceFolderByCopy; the copy stays inside the
// source's folder); the page is written last, so that a result page that exists was stored
// completely. Throws FileSystemError when a folder of the result cannot be created, the page
// cannot be written or the copy fails or is refused; the earlier result then stays as it was,
// page and resource folder.
StoredResult StoreResult(std::u16string markup, const SourceNames& names,
                         std::size_t language_index, std::u16string_view result_root,
                         const AnsiCodePage& code_page = AnsiCodePage::System());

// Cleans markup of the widget's traces, makes it the page a translated site publishes (see
// CleanSitePage, against source_text, the source page as read) and stores it at place.page,
// its folders created as needed. The site's other files (the page's resource folder among
// them) are mirrored apart from the pages. Throws FileSystemError when the page cannot be
// written; an earlier result then stays as it was.
StoredResult StoreSitePage(std::u16string markup, std::u16string_view source_text,
                           const ResultPlace& place, std::u16string_view language_code,
                           const AnsiCodePage& code_page = AnsiCodePage::System());

}  // namespace quillmoor
