#include "pipeline/result_store.h"

#include "pipeline/charset_declaration.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/page_encoding.h"
#include "pipeline/result_cleanup.h"
#include "pipeline/result_layout.h"
#include "pipeline/site_page.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

const AnsiCodePage& Utf8CodePage() {
    static const AnsiCodePage utf8 = AnsiCodePage::ForCodePage(65001);
    return utf8;
}

// The encoding in which a browser reads text as it is: see WriteTextFile.
PageEncoding ResultEncoding(std::u16string_view text, const AnsiCodePage& code_page) {
    const std::optional<CharsetDeclaration> declaration = FindCharsetDeclaration(text);
    if (!declaration || declaration->encoding == WebEncodingOf(code_page)) {
        return PageEncoding::InCodePage(code_page);
    }
    // A browser that misses the declaration takes the code page: in UTF-8 the declaration
    // must lie within the bytes that every browser looks through. (No code unit gives less
    // than a byte.)
    if (declaration->encoding == "UTF-8" && declaration->end <= kDeclarationWindow &&
        Utf16ToUtf8(text.substr(0, declaration->end)).size() <= kDeclarationWindow) {
        return PageEncoding::InCodePage(Utf8CodePage());
    }
    return PageEncoding::Utf8WithMark();
}

}  // namespace

void WriteTextFile(const std::u16string& path, std::u16string_view text,
                   const AnsiCodePage& code_page) {
    const PageEncoding encoding = ResultEncoding(text, code_page);
    ReplaceFileContent(path, [&](FileContentSink& sink) {
        WriteEncodedPage(sink, {text, u"\r\n"}, encoding);
    });
}

StoredResult StoreResult(std::u16string markup, const SourceNames& names,
                         std::size_t language_index, std::u16string_view result_root,
                         const AnsiCodePage& code_page) {
    StoredResult stored;
    stored.markup = StripWidgetRemnants(std::move(markup));
    const ResultPlace place =
        PerPageResultPlace(result_root, names, LanguageCodes().at(language_index));
    MakeDirectories(place.language_folder);
    // The page goes last: a result page that exists was stored whole, resource folder and
    // all, even when the program was stopped in the middle of a store.
    if (DirectoryExists(names.ResourceDir())) {
        stored.passed_over =
            ReplaceFolderByCopy(names.ResourceDir(), place.resource_folder, names.SourceDir());
    }
    WriteTextFile(place.page, stored.markup, code_page);
    return stored;
}

StoredResult StoreSitePage(std::u16string markup, std::u16string_view source_text,
                           const ResultPlace& place, std::u16string_view language_code,
                           const AnsiCodePage& code_page) {
    StoredResult stored;
    stored.markup =
        CleanSitePage(StripWidgetRemnants(std::move(markup)), source_text, language_code);
    MakeDirectories(place.language_folder);
    WriteTextFile(place.page, stored.markup, code_page);
    return stored;
}

}  // namespace quillmoor
