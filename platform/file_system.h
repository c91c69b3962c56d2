// The file system as the core sees it. Paths are UTF-16 texts; on Windows they are
// handed to the wide-character system calls, elsewhere converted to UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillmoor {

// A file-system failure that ends the batch. what() is a complete message for the user:
// what was attempted, the path, and the system's reason.
class FileSystemError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
    // The message reads: attempt "path": reason
    FileSystemError(std::string_view attempt, std::u16string_view path, std::string_view reason);

    // The system's reason alone; empty when the error was made from a whole message.
    const std::string& Reason() const { return reason_; }

  private:
    std::string reason_;
};

// True when a regular file (not a folder) exists at path. A relative path is taken
// from the current working directory.
bool FileExists(const std::u16string& path);

// True when a folder exists at path.
bool DirectoryExists(const std::u16string& path);

// Reads the whole file at path. Throws FileSystemError when it cannot be opened or read,
// is not a regular file, or holds more than max_bytes bytes. While it is open, other
// programs may read the file but not write it (where the system enforces this).
std::string ReadFileBytes(const std::u16string& path, std::uint64_t max_bytes);

// Receives the content of a file being read, block by block, in order.
class FileContentReceiver {
  public:
    // Called once, before the first block, with the size of the file when it was opened.
    // The file may still grow or shrink while it is read.
    virtual void Expect(std::uint64_t bytes) = 0;
    virtual void Take(std::string_view block) = 0;

  protected:
    ~FileContentReceiver() = default;
};

// Reads the whole file at path into receiver, in blocks small enough to stay in the
// processor's caches. Throws FileSystemError as ReadFileBytes does; what receiver throws
// is passed on.
void ReadFileContent(const std::u16string& path, std::uint64_t max_bytes,
                     FileContentReceiver& receiver);

// Receives the content of a file being written, piece by piece. Write throws
// FileSystemError when the system does not take the bytes (a full disk, for example).
class FileContentSink {
  public:
    virtual void Write(std::string_view bytes) = 0;

    // True when the sink can take back what it was given (see Rewind).
    virtual bool CanRewind() const { return false; }
    // Takes back every byte written so far: what is written next starts the content again.
    // Throws FileSystemError when the system refuses, std::logic_error when the sink
    // cannot rewind.
    virtual void Rewind();

  protected:
    ~FileContentSink() = default;
};

// Produces the content of a file into the sink it is given.
using FileContentWriter = std::function<void(FileContentSink&)>;

// Creates a file at path, where nothing exists yet, and fills it with what write_content
// writes. Returns false, touching nothing, when something already exists at path. Any
// other failure (FileSystemError for the system's, or whatever write_content throws) is
// passed on after the partial file has been removed.
bool WriteNewFile(const std::u16string& path, const FileContentWriter& write_content);

// Replaces the file at path, or creates it, with what write_content writes. The content
// goes to a temporary file in the same folder, which is then renamed over path, so that
// path always holds either its earlier content or the whole new one. A read-only file and
// a folder at path are not replaced. Every failure is passed on (FileSystemError for the
// system's) after the temporary file has been removed.
void ReplaceFileContent(const std::u16string& path, const FileContentWriter& write_content);

// Removes the file at path. Returns false when there was none or it could not be removed.
bool RemoveFile(const std::u16string& path);

// Creates the folder at path with all its missing parent folders; a folder that exists
// already is fine. Throws FileSystemError ("Cannot create the folder") with the system's
// reason when the folder does not exist afterwards.
void MakeDirectories(const std::u16string& path);

enum class FolderEntryKind {
    kFile,
    kFolder,
    kFolderLink,  // a symbolic link or junction to a folder: not descended into
    kOther,       // devices, pipes, sockets, broken links
};

struct FolderEntry {
    std::u16string name;
    FolderEntryKind kind;
};

// The entries of a folder, hidden and system ones included, in the order in which the
// system lists them, without "." and "..". Throws FileSystemError ("Cannot list the
// folder") when the folder cannot be listed.
std::vector<FolderEntry> ListFolder(const std::u16string& path);

// Copies the regular file from to the path to, replacing a file that is there. Throws
// FileSystemError ("Cannot copy the file", naming from) when it cannot: from cannot be read
// or is no regular file, to cannot be written (a full disk among the reasons), or both are
// the same file. A copy that fails part way leaves no partial file behind.
void CopyFileOver(const std::u16string& from, const std::u16string& to);

// Creates the folder at path, whose parent folder exists. Returns false, touching nothing,
// when something exists at path already; throws FileSystemError ("Cannot create the
// folder") on any other failure.
bool MakeNewFolder(const std::u16string& path);

// Gives the file or folder at from the name to, on the same drive; nothing may exist at to.
// Throws FileSystemError ("Cannot rename") when the system refuses.
void RenamePath(const std::u16string& from, const std::u16string& to);

// Removes the folder at path with everything in it. Links and junctions in it are removed
// themselves, never followed. Throws FileSystemError ("Cannot remove") naming the first
// entry that could not be removed; what could be removed is gone then.
void RemoveFolderTree(const std::u16string& path);

// The absolute path of what path names, with every link and junction on the way resolved:
// two paths of the same file or folder give the same text. Nothing when nothing exists
// at path (a link that leads nowhere among them).
std::optional<std::u16string> FinalPathOf(const std::u16string& path);

// The absolute form of path: "." and ".." resolved, no separator at the end except at the
// root. On POSIX systems symbolic links are resolved as far as the path exists.
std::u16string AbsolutePathOf(const std::u16string& path);

// True when the two absolute paths are the same name under the system's rules (without
// regard to case on Windows).
bool SamePathName(std::u16string_view a, std::u16string_view b);

// True when the drive that path lies on exists; always true where there are no drives.
bool DriveOfPathExists(const std::u16string& path);

}  // namespace quillmoor
