#include "pipeline/result_store.h"

#include "pipeline/folder_copy.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/page_encoding.h"
#include "pipeline/result_cleanup.h"
#include "platform/file_system.h"

namespace quillmoor {

void WriteTextFile(const std::u16string& path, std::u16string_view text,
                   const AnsiCodePage& code_page) {
    ReplaceFileContent(path, [&](FileContentSink& sink) {
        WriteEncodedPage(sink, {text, u"\r\n"}, code_page);
    });
}

std::u16string StoreResult(std::u16string markup, const SourceNames& names,
                           std::size_t language_index, std::u16string_view result_root,
                           const AnsiCodePage& code_page) {
    markup = StripWidgetRemnants(std::move(markup));
    const PathStyle style = names.Style();
    const std::u16string& code = LanguageCodes().at(language_index);
    std::u16string root(result_root);
    if (!root.empty() && root.back() != SeparatorOf(style)) {
        root += SeparatorOf(style);
    }
    const std::u16string file_folder = root + names.SourceFileName();
    const std::u16string language_folder = JoinPath(file_folder, code, style);
    std::string reason;
    if (!MakeDirectories(language_folder, &reason)) {
        throw FileSystemError("Cannot create the folder", language_folder, reason);
    }
    WriteTextFile(JoinPath(language_folder, names.SourceFileName(), style), markup, code_page);
    if (DirectoryExists(names.ResourceDir())) {
        CopyFolder(names.ResourceDir(),
                   JoinPath(language_folder, names.SourceBaseName() + u"_files", style));
    }
    return markup;
}

}  // namespace quillmoor
