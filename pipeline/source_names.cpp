#include "pipeline/source_names.h"

namespace quillmoor {

SourceNames::SourceNames(std::u16string_view path_text, std::u16string_view file_text,
                         PathStyle style)
    : style_(style),
      source_path_(std::u16string(path_text) + std::u16string(file_text)),
      source_dir_(DirectoryOf(source_path_, style)),
      source_file_name_(FileNameOf(source_path_, style)),
      source_ext_(ExtensionOf(source_path_, style)),
      source_base_name_(BaseNameOf(source_path_, style)),
      temp_page_path_(JoinPath(source_dir_, source_base_name_ + u"-temp" + source_ext_, style)),
      resource_dir_(JoinPath(source_dir_, source_base_name_ + u"_files", style)) {}

void SourceNames::SetTempPageTag(std::u16string_view tag) {
    temp_page_path_ = JoinPath(
        source_dir_, source_base_name_ + u"-temp" + std::u16string(tag) + source_ext_, style_);
}

std::u16string ResultRootFor(std::u16string_view program_folder, PathStyle style) {
    const char16_t separator = SeparatorOf(style);
    std::u16string root(program_folder);
    if (!root.empty() && root.back() != separator) {
        root += separator;
    }
    root += u"result";
    root += separator;
    return root;
}

}  // namespace quillmoor
