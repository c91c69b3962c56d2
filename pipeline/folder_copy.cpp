#include "pipeline/folder_copy.h"

#include <algorithm>
#include <vector>

#include "pipeline/path_names.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

constexpr const char* kAttempt = "Cannot copy the folder";

std::string Quoted(std::u16string_view path) {
    std::u16string shown(path);
    std::replace(shown.begin(), shown.end(), u'\0', u'\uFFFD');
    return "\"" + Utf16ToUtf8(shown) + "\"";
}

// The absolute form of path, after the checks that every path of a copy must pass.
std::u16string CheckedFullPath(const std::u16string& path, const std::u16string& source) {
    if (!IsWellFormedPath(path)) {
        throw FileSystemError(kAttempt, source, Quoted(path) + " is not a well-formed path");
    }
    std::u16string full = AbsolutePathOf(path);
    if (full.size() >= kMaxFolderPathLength) {
        throw FileSystemError(kAttempt, source,
                              "the path " + Quoted(full) +
                                  " is too long (it must be shorter than " +
                                  std::to_string(kMaxFolderPathLength) + " characters)");
    }
    return full;
}

// True when path lies somewhere below folder (both absolute).
bool LiesInside(std::u16string_view path, std::u16string_view folder) {
    const char16_t separator = SeparatorOf(kNativePathStyle);
    return path.size() > folder.size() && SamePathName(path.substr(0, folder.size()), folder) &&
           (path[folder.size()] == separator || folder.back() == separator);
}

// Creates the folder to and copies into it what the folder from holds. A folder that cannot
// be created or listed is skipped with everything in it, as a file that cannot be copied is.
void CopyContent(const std::u16string& from, const std::u16string& to) {
    std::vector<FolderEntry> entries;
    try {
        MakeDirectories(to);
        entries = ListFolder(from);
    } catch (const FileSystemError&) {
        return;
    }
    for (const FolderEntry& entry : entries) {
        const std::u16string source = JoinPath(from, entry.name);
        const std::u16string destination = JoinPath(to, entry.name);
        if (entry.kind == FolderEntryKind::kFile) {
            CopyFileOver(source, destination);
        } else if (entry.kind == FolderEntryKind::kFolder) {
            CopyContent(source, destination);
        }
    }
}

}  // namespace

void CopyFolder(const std::u16string& source, const std::u16string& destination) {
    const std::u16string from = CheckedFullPath(source, source);
    const std::u16string to = CheckedFullPath(destination, source);
    if (!DirectoryExists(from)) {
        throw FileSystemError(kAttempt, source, "the folder does not exist");
    }
    if (SamePathName(from, to)) {
        throw FileSystemError(kAttempt, source, "the destination is the same folder");
    }
    if (LiesInside(to, from)) {
        throw FileSystemError(kAttempt, source,
                              "the destination " + Quoted(destination) + " lies inside it");
    }
    if (!DriveOfPathExists(to)) {
        throw FileSystemError(
            kAttempt, source,
            "the drive of the destination " + Quoted(destination) + " does not exist");
    }
    CopyContent(from, to);
}

}  // namespace quillmoor
