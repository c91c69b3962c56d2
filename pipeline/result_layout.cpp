#include "pipeline/result_layout.h"

namespace quillmoor {

ResultPlace PerPageResultPlace(std::u16string_view result_root, const SourceNames& names,
                               std::u16string_view language_code) {
    const PathStyle style = names.Style();
    std::u16string root(result_root);
    if (!root.empty() && root.back() != SeparatorOf(style)) {
        root += SeparatorOf(style);
    }
    ResultPlace place;
    place.language_folder = JoinPath(root + names.SourceFileName(), language_code, style);
    place.page = JoinPath(place.language_folder, names.SourceFileName(), style);
    place.resource_folder =
        JoinPath(place.language_folder, names.SourceBaseName() + u"_files", style);
    return place;
}

}  // namespace quillmoor
