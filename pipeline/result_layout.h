// Where a result goes. The window program's layout keeps one folder per source file name:
// the result root, the file name, the language code and the file name again, the page's
// resource folder (base name and "_files") beside the page. The command line's site layout
// keeps one tree per language: the output folder, the language code and the page's path
// inside the site, so that the tree is the site in that language. Planning, storing and
// resuming all ask this; nothing else composes a result path.
#pragma once

#include <string>
#include <string_view>

#include "pipeline/source_names.h"

namespace quillmoor {

struct ResultPlace {
    // The folder that holds the page and its resource folder.
    std::u16string language_folder;
    // The result page.
    std::u16string page;
    // The copy of the source's resource folder.
    std::u16string resource_folder;
};

// The two layouts of results.
enum class ResultLayout {
    kPerPage,  // result root / file name / code / file name, resource folder beside
    kSite,     // output folder / code / path inside the site; the rest of the site mirrored
};

// Where the page run stores a result.
struct ResultTarget {
    ResultLayout layout = ResultLayout::kPerPage;
    // kPerPage: the result root. kSite: the output folder.
    std::u16string root;
    // kSite: the page's path inside its site, with native separators (docs/intro.html).
    std::u16string site_path;
};

// The place of the source's result in the language with code under result_root (which may
// end with a separator or not), in the source names' path style.
ResultPlace PerPageResultPlace(std::u16string_view result_root, const SourceNames& names,
                               std::u16string_view language_code);

// The place of the page at site_path (native separators) of a site in the language with
// code below out_folder (which may end with a separator or not): out_folder, the code and
// site_path. Its resource folder is the site's own, mirrored with the rest of the site.
ResultPlace SiteResultPlace(std::u16string_view out_folder, std::u16string_view site_path,
                            std::u16string_view language_code);

// The place of the source's result for target in the language with code.
ResultPlace ResultPlaceFor(const ResultTarget& target, const SourceNames& names,
                           std::u16string_view language_code);

}  // namespace quillmoor
