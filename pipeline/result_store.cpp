#include "pipeline/result_store.h"

#include "pipeline/folder_copy.h"
#include "pipeline/language_catalogue.h"
#include "pipeline/page_encoding.h"
#include "pipeline/result_cleanup.h"
#include "platform/file_system.h"

namespace quillmoor {

void WriteTextFile(const std::u16string& path, std::u16string_view text,
                   const AnsiCodePage& codePage) {
    ReplaceFileContent(path, [&](FileContentSink& sink) {
        WriteEncodedPage(sink, {text, u"\r\n"}, codePage);
    });
}

std::u16string StoreResult(std::u16string markup, const SourceNames& names,
                           std::size_t languageIndex, std::u16string_view resultRoot,
                           const AnsiCodePage& codePage) {
    markup = StripWidgetRemnants(std::move(markup));
    const PathStyle style = names.Style();
    const std::u16string& code = LanguageCodes().at(languageIndex);
    std::u16string root(resultRoot);
    if (!root.empty() && root.back() != SeparatorOf(style)) {
        root += SeparatorOf(style);
    }
    const std::u16string fileFolder = root + names.SourceFileName();
    const std::u16string languageFolder = JoinPath(fileFolder, code, style);
    std::string reason;
    if (!MakeDirectories(languageFolder, &reason)) {
        throw FileSystemError("Cannot create the folder", languageFolder, reason);
    }
    WriteTextFile(JoinPath(languageFolder, names.SourceFileName(), style), markup, codePage);
    if (DirectoryExists(names.ResourceDir())) {
        CopyFolder(names.ResourceDir(),
                   JoinPath(languageFolder, names.SourceBaseName() + u"_files", style));
    }
    return markup;
}

}  // namespace quillmoor
