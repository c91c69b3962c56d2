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

ResultPlace SiteResultPlace(std::u16string_view out_folder, std::u16string_view site_path,
                            std::u16string_view language_code) {
    const char16_t separator = SeparatorOf(kNativePathStyle);
    std::u16string root(out_folder);
    if (!root.empty() && root.back() != separator) {
        root += separator;
    }
    ResultPlace place;
    place.page = root + std::u16string(language_code) + separator + std::u16string(site_path);
    place.language_folder = DirectoryOf(place.page);
    place.resource_folder =
        JoinPath(place.language_folder, BaseNameOf(FileNameOf(site_path)) + u"_files");
    return place;
}

ResultPlace ResultPlaceFor(const ResultTarget& target, const SourceNames& names,
                           std::u16string_view language_code) {
    switch (target.layout) {
        case ResultLayout::kSite:
            return SiteResultPlace(target.root, target.site_path, language_code);
        case ResultLayout::kPerPage:
            break;
    }
    return PerPageResultPlace(target.root, names, language_code);
}

}  // namespace quillmoor
