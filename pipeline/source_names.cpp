#include "pipeline/source_names.h"

namespace quillmoor {

SourceNames::SourceNames(std::u16string_view pathText, std::u16string_view fileText,
                         PathStyle style)
    : style_(style),
      sourcePath_(std::u16string(pathText) + std::u16string(fileText)),
      sourceDir_(DirectoryOf(sourcePath_, style)),
      sourceFileName_(FileNameOf(sourcePath_, style)),
      sourceExt_(ExtensionOf(sourcePath_, style)),
      sourceBaseName_(BaseNameOf(sourcePath_, style)),
      tempPagePath_(JoinPath(sourceDir_, sourceBaseName_ + u"-temp" + sourceExt_, style)),
      resourceDir_(JoinPath(sourceDir_, sourceBaseName_ + u"_files", style)) {}

std::u16string ResultRootFor(std::u16string_view programFolder, PathStyle style) {
    const char16_t separator = SeparatorOf(style);
    std::u16string root(programFolder);
    if (!root.empty() && root.back() != separator) {
        root += separator;
    }
    root += u"result";
    root += separator;
    return root;
}

}  // namespace quillmoor
