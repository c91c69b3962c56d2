// The names that the batch derives from one row of the file list, and the root of the
// result tree.
#pragma once

#include <string>
#include <string_view>

#include "pipeline/path_names.h"

namespace quillmoor {

class SourceNames {
  public:
    // pathText is the row's folder text (ending with a separator), fileText its file name.
    SourceNames(std::u16string_view pathText, std::u16string_view fileText,
                PathStyle style = kNativePathStyle);

    // The source file: the folder text followed directly by the file text.
    const std::u16string& SourcePath() const { return sourcePath_; }
    // The folder of the source file (see DirectoryOf for the roots).
    const std::u16string& SourceDir() const { return sourceDir_; }
    // The file name, extension included.
    const std::u16string& SourceFileName() const { return sourceFileName_; }
    // The extension with its dot, or empty.
    const std::u16string& SourceExt() const { return sourceExt_; }
    // The file name without its extension.
    const std::u16string& SourceBaseName() const { return sourceBaseName_; }
    // The temporary page beside the source file: base name, "-temp" and the extension.
    const std::u16string& TempPagePath() const { return tempPagePath_; }
    // The page's resource folder beside it: base name and "_files".
    const std::u16string& ResourceDir() const { return resourceDir_; }

    PathStyle Style() const { return style_; }

  private:
    PathStyle style_;
    std::u16string sourcePath_;
    std::u16string sourceDir_;
    std::u16string sourceFileName_;
    std::u16string sourceExt_;
    std::u16string sourceBaseName_;
    std::u16string tempPagePath_;
    std::u16string resourceDir_;
};

// The root of the result tree: the program's folder, "result" and a separator.
std::u16string ResultRootFor(std::u16string_view programFolder, PathStyle style = kNativePathStyle);

}  // namespace quillmoor
