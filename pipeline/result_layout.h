// Where a result goes. The window program's layout keeps one folder per source file name:
// the result root, the file name, the language code and the file name again, the page's
// resource folder (base name and "_files") beside the page. Planning, storing and resuming
// all ask this; nothing else composes a result path.
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

// The place of the source's result in the language with code under result_root (which may
// end with a separator or not), in the source names' path style.
ResultPlace PerPageResultPlace(std::u16string_view result_root, const SourceNames& names,
                               std::u16string_view language_code);

}  // namespace quillmoor
