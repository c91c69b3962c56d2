// Copying a page's resource folder into the result tree.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillmoor {

// Paths given to CopyFolder must be shorter than this, in their absolute form.
inline constexpr std::size_t kMaxFolderPathLength = 248;

// An entry that a copy passed over, as it was reached below the source folder, and why.
struct PassedOverEntry {
    std::u16string path;
    std::string reason;

    friend bool operator==(const PassedOverEntry&, const PassedOverEntry&) = default;
};

// Why a copy passes an entry over.
inline constexpr const char* kLeadsOutsideReason =
    "it is a link that leads outside the folder of the page";
inline constexpr const char* kLeadsBackReason = "it leads back into a folder that is being copied";

// The line that reports an entry passed over: Passed over "path": reason
std::string PassedOverMessage(const PassedOverEntry& entry);

// Copies the folder tree at source to destination, creating destination and its parents.
// Every entry is copied, hidden and system ones too; a file already at the destination is
// replaced, other files there stay.
// The copy never leaves the folder within (the folder that holds the page whose resources
// these are): a symbolic link or junction whose target lies outside it is passed over, and
// so is all of source when it is such a link itself. Links that stay within it are copied
// as the files and folders they lead to, except a folder that leads back into one that is
// being copied (the copy would never end): it is passed over too. Returns what was passed
// over, in the order met.
// Throws FileSystemError, copying nothing, when a path is not well-formed or too long, the
// source folder or the folder within does not exist, the destination is the source folder
// itself or lies inside it, or the destination's drive does not exist. Throws
// FileSystemError part way when an entry cannot be copied: a file that cannot be read or
// written (a full disk among the reasons), a folder that cannot be created or listed, a
// device, pipe or socket, a link that leads nowhere, an entry that vanished.
std::vector<PassedOverEntry> CopyFolder(const std::u16string& source,
                                        const std::u16string& destination,
                                        const std::u16string& within);

// Replaces the folder at destination, or creates it, with a copy of source made as
// CopyFolder makes it. The copy goes to a new folder of a temporary name beside destination,
// which then takes its place: whatever was at destination is renamed away, the copy renamed
// in, and the earlier folder removed. When the copy or the renaming fails, destination keeps
// what it held, the partial copy is removed and the FileSystemError is passed on. Refuses,
// besides what CopyFolder refuses, a destination that holds the source folder.
std::vector<PassedOverEntry> ReplaceFolderByCopy(const std::u16string& source,
                                                 const std::u16string& destination,
                                                 const std::u16string& within);

}  // namespace quillmoor
