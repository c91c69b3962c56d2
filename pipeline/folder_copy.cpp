#include "pipeline/folder_copy.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "pipeline/path_names.h"
#include "platform/file_system.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

constexpr const char* kAttempt = "Cannot copy the folder";
// The temporary folders of ReplaceFolderByCopy are looked for under this many names.
constexpr unsigned kTemporaryFolderAttempts = 1000;

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

// True when path is folder or lies below it (both final paths).
bool Holds(std::u16string_view folder, std::u16string_view path) {
    return SamePathName(path, folder) || LiesInside(path, folder);
}

// The absolute forms of a copy's source and destination, checked as CopyFolder says.
std::pair<std::u16string, std::u16string> CheckedEnds(const std::u16string& source,
                                                      const std::u16string& destination) {
    std::u16string from = CheckedFullPath(source, source);
    std::u16string to = CheckedFullPath(destination, source);
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
    return {std::move(from), std::move(to)};
}

// The copy of a tree that stays inside one folder.
class ConfinedCopy {
  public:
    explicit ConfinedCopy(std::u16string boundary) : boundary_(std::move(boundary)) {}

    // Creates the folder to and copies into it what the folder from (whose final path is
    // final_from) holds.
    void Copy(const std::u16string& from, const std::u16string& final_from,
              const std::u16string& to) {
        MakeDirectories(to);
        const std::vector<FolderEntry> entries = ListFolder(from);
        way_down_.push_back(final_from);
        for (const FolderEntry& entry : entries) {
            const std::u16string source = JoinPath(from, entry.name);
            const std::optional<std::u16string> target = FinalPathOf(source);
            if (!target) {
                throw FileSystemError("Cannot copy", source,
                                      "it is gone, or it is a link that leads nowhere");
            }
            if (!Holds(boundary_, *target)) {
                PassOver(source, kLeadsOutsideReason);
                continue;
            }
            const std::u16string destination = JoinPath(to, entry.name);
            switch (entry.kind) {
                case FolderEntryKind::kFile:
                    CopyFileOver(source, destination);
                    break;
                case FolderEntryKind::kFolder:
                case FolderEntryKind::kFolderLink:
                    if (std::any_of(way_down_.begin(), way_down_.end(),
                                    [&](const std::u16string& folder) {
                                        return SamePathName(folder, *target);
                                    })) {
                        PassOver(source, kLeadsBackReason);
                    } else {
                        Copy(source, *target, destination);
                    }
                    break;
                case FolderEntryKind::kOther:
                    throw FileSystemError("Cannot copy", source,
                                          "it is a device, a pipe or a socket, not a file");
            }
        }
        way_down_.pop_back();
    }

    void PassOver(const std::u16string& path, const char* reason) {
        passed_over_.push_back({path, reason});
    }

    std::vector<PassedOverEntry> TakePassedOver() { return std::move(passed_over_); }

  private:
    const std::u16string boundary_;
    // The final paths of the folders being copied, from source down.
    std::vector<std::u16string> way_down_;
    std::vector<PassedOverEntry> passed_over_;
};

// A new, empty folder of a temporary name in parent (which exists).
std::u16string NewTemporaryFolder(const std::u16string& parent, const std::u16string& source) {
    for (unsigned attempt = 1; attempt <= kTemporaryFolderAttempts; ++attempt) {
        std::u16string path =
            JoinPath(parent, u".quillmoor-" + Utf8ToUtf16(std::to_string(attempt)) + u".tmp");
        if (MakeNewFolder(path)) {
            return path;
        }
    }
    throw FileSystemError(kAttempt, source,
                          "no temporary folder could be made in " + Quoted(parent));
}

// Removes a temporary folder after a failure; the failure is what is reported.
void RemoveAfterFailure(const std::u16string& path) {
    try {
        RemoveFolderTree(path);
    } catch (const FileSystemError&) {
    }
}

}  // namespace

std::string PassedOverMessage(const PassedOverEntry& entry) {
    return "Passed over " + Quoted(entry.path) + ": " + entry.reason;
}

std::vector<PassedOverEntry> CopyFolder(const std::u16string& source,
                                        const std::u16string& destination,
                                        const std::u16string& within) {
    const std::u16string to = CheckedEnds(source, destination).second;
    const std::optional<std::u16string> boundary = FinalPathOf(within);
    if (!boundary || !DirectoryExists(*boundary)) {
        throw FileSystemError(kAttempt, source,
                              "the folder " + Quoted(within) + " that holds it does not exist");
    }
    const std::optional<std::u16string> final_source = FinalPathOf(source);
    if (!final_source) {
        throw FileSystemError(kAttempt, source, "the folder does not exist");
    }
    ConfinedCopy copy(*boundary);
    if (Holds(*boundary, *final_source)) {
        copy.Copy(source, *final_source, to);
    } else {
        MakeDirectories(to);
        copy.PassOver(source, kLeadsOutsideReason);
    }
    return copy.TakePassedOver();
}

std::vector<PassedOverEntry> ReplaceFolderByCopy(const std::u16string& source,
                                                 const std::u16string& destination,
                                                 const std::u16string& within) {
    const std::u16string from = CheckedEnds(source, destination).first;
    // What is at destination is replaced, never what it leads to when it is a link: the
    // destination's folder is made absolute, its name is kept as it is.
    std::u16string trimmed = destination;
    std::replace(trimmed.begin(), trimmed.end(), u'/', SeparatorOf(kNativePathStyle));
    while (trimmed.size() > 1 &&
           (trimmed.back() == SeparatorOf(kNativePathStyle) || trimmed.back() == u'/')) {
        trimmed.pop_back();
    }
    std::u16string to = AbsolutePathOf(destination);
    const std::u16string name = FileNameOf(trimmed);
    if (!name.empty() && name != u"." && name != u"..") {
        const std::u16string folder = DirectoryOf(trimmed);
        to = JoinPath(AbsolutePathOf(folder.empty() ? std::u16string(u".") : folder), name);
    }
    if (LiesInside(from, to)) {
        throw FileSystemError(kAttempt, source,
                              "it lies inside the destination " + Quoted(destination));
    }
    const std::u16string parent = DirectoryOf(to);
    MakeDirectories(parent);
    const std::u16string copy = NewTemporaryFolder(parent, source);
    std::vector<PassedOverEntry> passed_over;
    try {
        passed_over = CopyFolder(source, copy, within);
    } catch (...) {
        RemoveAfterFailure(copy);
        throw;
    }
    // The earlier folder moves into a temporary folder of its own: renamed to a free name
    // of its own, nothing could stop another program from taking that name first.
    std::optional<std::u16string> earlier_holder;
    std::u16string earlier;
    bool moved_away = false;
    try {
        if (DirectoryExists(to) || FileExists(to)) {
            earlier_holder = NewTemporaryFolder(parent, source);
            earlier = JoinPath(*earlier_holder, u"earlier");
            RenamePath(to, earlier);
            moved_away = true;
        }
        RenamePath(copy, to);
    } catch (...) {
        try {
            if (moved_away) {
                RenamePath(earlier, to);
                moved_away = false;
            }
        } catch (const FileSystemError&) {
        }
        // An earlier folder that could not be put back stays where it is, never removed.
        if (earlier_holder && !moved_away) {
            RemoveAfterFailure(*earlier_holder);
        }
        RemoveAfterFailure(copy);
        throw;
    }
    // The new folder is in place: an earlier one that cannot be removed whole only leaves a
    // hidden folder behind.
    if (earlier_holder) {
        RemoveAfterFailure(*earlier_holder);
    }
    return passed_over;
}

}  // namespace quillmoor
