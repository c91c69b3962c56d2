// The names that the batch derives from one row of the file list, and the root of the
// result tree.
#pragma once

#include <string>
#include <string_view>

#include "pipeline/path_names.h"

namespace quillmoor {

class SourceNames {
  public:
    // path_text is the row's folder text (ending with a separator), file_text its file name.
    SourceNames(std::u16string_view path_text, std::u16string_view file_text,
                PathStyle style = kNativePathStyle);

    // The source file: the folder text followed directly by the file text.
    const std::u16string& SourcePath() const { return source_path_; }
    // The folder of the source file (see DirectoryOf for the roots).
    const std::u16string& SourceDir() const { return source_dir_; }
    // The file name, extension included.
    const std::u16string& SourceFileName() const { return source_file_name_; }
    // The extension with its dot, or empty.
    const std::u16string& SourceExt() const { return source_ext_; }
    // The file name without its extension.
    const std::u16string& SourceBaseName() const { return source_base_name_; }
    // The temporary page beside the source file: base name, "-temp", the tag (empty unless
    // set) and the extension.
    const std::u16string& TempPagePath() const { return temp_page_path_; }
    // Tags the temporary page, so that several browsers translating the same source at once
    // (each in its own language) write pages of their own: "-temp" becomes "-temp" + tag.
    void SetTempPageTag(std::u16string_view tag);
    // The page's resource folder beside it: base name and "_files".
    const std::u16string& ResourceDir() const { return resource_dir_; }

    PathStyle Style() const { return style_; }

  private:
    PathStyle style_;
    std::u16string source_path_;
    std::u16string source_dir_;
    std::u16string source_file_name_;
    std::u16string source_ext_;
    std::u16string source_base_name_;
    std::u16string temp_page_path_;
    std::u16string resource_dir_;
};

// The root of the result tree: the program's folder, "result" and a separator.
std::u16string ResultRootFor(std::u16string_view program_folder,
                             PathStyle style = kNativePathStyle);

}  // namespace quillmoor
