// Copying a page's resource folder into the result tree.
#pragma once

#include <string>

namespace quillmoor {

// Paths given to CopyFolder must be shorter than this, in their absolute form.
inline constexpr std::size_t kMaxFolderPathLength = 248;

// Copies the folder tree at source to destination, creating destination and its parents.
// Every entry is copied, hidden and system ones too; a file already at the destination is
// replaced, other files there stay. A file that cannot be copied is skipped, so is a folder
// that cannot be created or listed, with its content; links to folders are not followed.
// Throws FileSystemError, copying nothing, when a path is not well-formed or too long, the
// source folder does not exist, the destination is the source folder itself or lies inside
// it, or the destination's drive does not exist.
void CopyFolder(const std::u16string& source, const std::u16string& destination);

}  // namespace quillmoor
