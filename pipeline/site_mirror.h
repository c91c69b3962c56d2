// Mirroring the files of a site that are not translated (style sheets, scripts, images,
// fonts, ...) into the tree of one language, so that the tree is a whole site of its own.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmoor {

// How a file gets into the language tree.
enum class MirrorPlacing {
    kHardLinkWhereAllowed,  // a hard link; a copy where the system refuses one
    kCopy,                  // always a copy
};

// What of the site is not mirrored, besides the program's temporary pages (files named
// "*-temp*" that hold the widget snippet, see IsTempPage) and the language tree itself.
struct MirrorExclusions {
    // True for the path of a file that is left out (the pages being translated), relative
    // to the site's folder with "/" between folders, e.g. "about/team.html". Unset: none.
    std::function<bool(std::u16string_view relative_path)> is_left_out;
    // Folders left out with everything in them, e.g. the output folder when it lies inside
    // the site.
    std::vector<std::u16string> folders;
};

// What a mirroring did.
struct MirrorReport {
    std::size_t linked = 0;    // files hard-linked into the tree (new or refreshed)
    std::size_t copied = 0;    // files copied into the tree (new or refreshed)
    std::size_t left = 0;      // files that were in the tree with the same content already
    std::size_t left_out = 0;  // files left out by the exclusions and temporary pages
    // The site's entries that were not mirrored: symbolic links that lead out of the site,
    // are broken or lead back into a folder they lie in, and entries that are neither files
    // nor folders (devices, pipes, sockets). Relative to the site, "/" between folders, in
    // the order in which they were met.
    std::vector<std::u16string> passed_over;
};

// Makes every file of the folder site, but those excluded, exist at the same relative path
// below the folder tree (created with its parents as needed):
//  - a file of the tree that is the site's file (the same file, as a hard link is) or
//    has the same size and modification time (as a copy made here has) is left as it is;
//  - a missing file is hard-linked, or copied (with the source's modification time) where
//    placing is kCopy or the system does not link (another drive, a file system without
//    hard links, no permission);
//  - a changed one is refreshed: linked or copied to a temporary name beside it, which then
//    replaces it, so that the tree's path always holds a whole file.
// A symbolic link in the site is followed when it leads to a file or folder inside the
// site; else it is passed over. Nothing outside tree is ever written, and the files of the
// tree that the site does not have stay. Throws FileSystemError when the site cannot be
// listed, or a file cannot be placed in the tree (a folder where a file goes, a full disk).
MirrorReport MirrorSiteFiles(const std::u16string& site, const std::u16string& tree,
                             const MirrorExclusions& exclusions,
                             MirrorPlacing placing = MirrorPlacing::kHardLinkWhereAllowed);

}  // namespace quillmoor
