#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <system_error>

#include "platform/file_system_reasons.h"
#include "platform/no_copy.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

// Files are written in blocks of at most this size, read in blocks of this size (small
// enough to stay in the processor's caches) and copied in blocks of this size.
constexpr size_t kBlockBytes = size_t{1} << 30;
constexpr size_t kReadBlockBytes = size_t{256} << 10;
constexpr size_t kCopyBufferBytes = size_t{1} << 20;

std::string Native(std::u16string_view path) {
    return Utf16ToUtf8(path);
}

[[noreturn]] void Fail(std::string_view attempt, std::u16string_view path, int error) {
    throw FileSystemError(attempt, path, std::generic_category().message(error));
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    QUILLMOOR_NO_COPY(Descriptor);

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Closes the descriptor; returns 0 or the system's error.
    int Close() {
        const int result = close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

// Writes all bytes; returns 0 or the system's error.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), std::min(bytes.size(), kBlockBytes));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

class DescriptorSink : public FileContentSink {
  public:
    DescriptorSink(int fd, std::u16string_view reported_path) : fd_(fd), path_(reported_path) {}
    void Write(std::string_view bytes) override {
        if (const int error = WriteAll(fd_, bytes)) {
            Fail("Cannot write the file", path_, error);
        }
    }
    bool CanRewind() const override { return true; }
    void Rewind() override {
        if (ftruncate(fd_, 0) != 0 || lseek(fd_, 0, SEEK_SET) != 0) {
            Fail("Cannot write the file", path_, errno);
        }
    }

  private:
    int fd_;
    std::u16string_view path_;
};

// Creates native exclusively and fills it; errors name reported_path. Returns false when
// something exists at native.
bool CreateAndFill(const std::string& native, std::u16string_view reported_path,
                   std::string_view attempt, const FileContentWriter& write_content) {
    Descriptor file(open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file.IsOpen()) {
        if (errno == EEXIST) {
            return false;
        }
        Fail(attempt, reported_path, errno);
    }
    if (const int error = FillAndClose<DescriptorSink>(file, reported_path, write_content,
                                                       [&] { unlink(native.c_str()); })) {
        Fail("Cannot write the file", reported_path, error);
    }
    return true;
}

// The folder part of a native path, with its final slash; empty for a bare name.
std::string FolderPrefixOf(const std::string& native) {
    const size_t slash = native.rfind('/');
    return slash == std::string::npos ? std::string() : native.substr(0, slash + 1);
}

}  // namespace

bool FileExists(const std::u16string& path) {
    struct stat st {};
    return stat(Native(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::u16string& path) {
    struct stat st {};
    return stat(Native(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void ReadFileContent(const std::u16string& path, std::uint64_t max_bytes,
                     FileContentReceiver& receiver) {
    // Not blocking on open keeps a pipe without a writer from hanging the program; it
    // makes no difference for a regular file.
    Descriptor file(open(Native(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.IsOpen()) {
        Fail("Cannot open the file", path, errno);
    }
    struct stat st {};
    if (fstat(file.Get(), &st) != 0) {
        Fail("Cannot read the file", path, errno);
    }
    if (S_ISDIR(st.st_mode)) {
        throw FileSystemError("Cannot read the file", path, kIsFolderReason);
    }
    if (!S_ISREG(st.st_mode)) {
        throw FileSystemError("Cannot read the file", path, kNotRegularFileReason);
    }
    // The file may change while it is read: read on to its end, but never past the limit.
    LimitedFileRead reading(path, static_cast<std::uint64_t>(st.st_size), max_bytes,
                            kReadBlockBytes, receiver);
    for (;;) {
        const ssize_t count = read(file.Get(), reading.Block(), reading.BlockBytes());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("Cannot read the file", path, errno);
        }
        if (count == 0) {
            break;
        }
        reading.Take(static_cast<size_t>(count));
    }
}

bool WriteNewFile(const std::u16string& path, const FileContentWriter& write_content) {
    return CreateAndFill(Native(path), path, "Cannot create the file", write_content);
}

void ReplaceFileContent(const std::u16string& path, const FileContentWriter& write_content) {
    const std::string target = Native(path);
    struct stat st {};
    if (stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            throw FileSystemError("Cannot replace the file", path, kIsFolderReason);
        }
        // rename() would replace a file that this process may not write; refuse it.
        if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            Fail("Cannot replace the file", path, errno);
        }
    }
    const std::string folder = FolderPrefixOf(target);
    const std::optional<std::string> temporary = FillTemporaryFile(
        [&](unsigned attempt) {
            return folder + TemporaryFileName(static_cast<unsigned long>(getpid()), attempt);
        },
        [&](const std::string& name) {
            return CreateAndFill(name, path, "Cannot write the file", write_content);
        });
    if (!temporary) {
        Fail("Cannot write the file", path, EEXIST);
    }
    if (rename(temporary->c_str(), target.c_str()) != 0) {
        const int error = errno;
        unlink(temporary->c_str());
        Fail("Cannot replace the file", path, error);
    }
}

bool RemoveFile(const std::u16string& path) {
    return unlink(Native(path).c_str()) == 0;
}

void MakeDirectories(const std::u16string& path) {
    const std::string native = Native(path);
    int failure = 0;
    // An existing folder is fine; the first other failure is the reason.
    for (size_t i = 1; i <= native.size(); ++i) {
        if ((i == native.size() || native[i] == '/') &&
            mkdir(native.substr(0, i).c_str(), 0777) != 0 && errno != EEXIST && failure == 0) {
            failure = errno;
        }
    }
    if (!native.empty() && DirectoryExists(path)) {
        return;
    }
    Fail("Cannot create the folder", path,
         failure != 0     ? failure
         : native.empty() ? ENOENT
                          : ENOTDIR);
}

std::vector<FolderEntry> ListFolder(const std::u16string& path) {
    std::vector<FolderEntry> entries;
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(Native(path).c_str()), closedir);
    if (!folder) {
        Fail("Cannot list the folder", path, errno);
    }
    const int folder_fd = dirfd(folder.get());
    while (const dirent* entry = readdir(folder.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        FolderEntryKind kind = FolderEntryKind::kOther;
        struct stat st {};
        if (fstatat(folder_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISREG(st.st_mode)) {
                kind = FolderEntryKind::kFile;
            } else if (S_ISDIR(st.st_mode)) {
                kind = FolderEntryKind::kFolder;
            } else if (S_ISLNK(st.st_mode) && fstatat(folder_fd, name.c_str(), &st, 0) == 0) {
                kind = S_ISDIR(st.st_mode)   ? FolderEntryKind::kFolderLink
                       : S_ISREG(st.st_mode) ? FolderEntryKind::kFile
                                             : FolderEntryKind::kOther;
            }
        }
        entries.push_back({Utf8ToUtf16(name), kind});
    }
    return entries;
}

namespace {

// Opens the target of a file copy for writing, creating it. A copy keeps its source's mode,
// so a read-only source gave a read-only copy the last time: a copy of this user's is made
// writable again rather than left out of date.
int OpenCopyTarget(const std::string& target) {
    constexpr int kFlags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK;
    const int fd = open(target.c_str(), kFlags, 0666);
    struct stat old {};
    if (fd >= 0 || errno != EACCES || lstat(target.c_str(), &old) != 0 || !S_ISREG(old.st_mode) ||
        old.st_uid != geteuid() || chmod(target.c_str(), (old.st_mode & 07777) | S_IWUSR) != 0) {
        return fd;
    }
    return open(target.c_str(), kFlags, 0666);
}

}  // namespace

void CopyFileOver(const std::u16string& from, const std::u16string& to) {
    constexpr const char* kAttempt = "Cannot copy the file";
    // A failure on the side of the copy names it in the reason.
    const auto fail_target = [&](int error) {
        throw FileSystemError(
            kAttempt, from,
            "cannot write \"" + Native(to) + "\": " + std::generic_category().message(error));
    };
    Descriptor source(open(Native(from).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!source.IsOpen()) {
        Fail(kAttempt, from, errno);
    }
    struct stat source_stat {};
    if (fstat(source.Get(), &source_stat) != 0) {
        Fail(kAttempt, from, errno);
    }
    if (S_ISDIR(source_stat.st_mode)) {
        throw FileSystemError(kAttempt, from, kIsFolderReason);
    }
    if (!S_ISREG(source_stat.st_mode)) {
        throw FileSystemError(kAttempt, from, kNotRegularFileReason);
    }
    const std::string target = Native(to);
    Descriptor destination(OpenCopyTarget(target));
    if (!destination.IsOpen()) {
        fail_target(errno);
    }
    struct stat target_stat {};
    if (fstat(destination.Get(), &target_stat) != 0) {
        fail_target(errno);
    }
    if (!S_ISREG(target_stat.st_mode)) {
        throw FileSystemError(kAttempt, from,
                              "cannot write \"" + target + "\": " + kNotRegularFileReason);
    }
    if (target_stat.st_dev == source_stat.st_dev && target_stat.st_ino == source_stat.st_ino) {
        // The same file under another name: truncating it would destroy it.
        throw FileSystemError(kAttempt, from, "it is the file it would replace");
    }
    if (ftruncate(destination.Get(), 0) != 0) {
        fail_target(errno);
    }
    int read_error = 0;
    int write_error = 0;
    const auto buffer = std::make_unique<char[]>(kCopyBufferBytes);
    for (;;) {
        const ssize_t count = read(source.Get(), buffer.get(), kCopyBufferBytes);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            read_error = errno;
        }
        if (count <= 0) {
            break;
        }
        write_error = WriteAll(destination.Get(), {buffer.get(), static_cast<size_t>(count)});
        if (write_error != 0) {
            break;
        }
    }
    fchmod(destination.Get(), source_stat.st_mode & 07777);
    const int close_error = destination.Close();
    if (read_error != 0 || write_error != 0 || close_error != 0) {
        unlink(target.c_str());
        if (read_error != 0) {
            Fail(kAttempt, from, read_error);
        }
        fail_target(write_error != 0 ? write_error : close_error);
    }
}

bool MakeNewFolder(const std::u16string& path) {
    if (mkdir(Native(path).c_str(), 0777) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    Fail("Cannot create the folder", path, errno);
}

void RenamePath(const std::u16string& from, const std::u16string& to) {
    const std::string target = Native(to);
    struct stat st {};
    // rename() would replace a file there, or an empty folder.
    if (lstat(target.c_str(), &st) == 0) {
        throw FileSystemError("Cannot rename", from, "\"" + target + "\" exists already");
    }
    if (rename(Native(from).c_str(), target.c_str()) != 0) {
        Fail("Cannot rename", from, errno);
    }
}

void RemoveFolderTree(const std::u16string& path) {
    const std::string native = Native(path);
    const std::string prefix = native.empty() || native.back() == '/' ? native : native + "/";
    for (const FolderEntry& entry : ListFolder(path)) {
        const std::string inner = prefix + Utf16ToUtf8(entry.name);
        // Only real folders are descended into: a link to a folder is removed itself.
        if (entry.kind == FolderEntryKind::kFolder) {
            RemoveFolderTree(Utf8ToUtf16(inner));
        } else if (unlink(inner.c_str()) != 0) {
            Fail("Cannot remove", Utf8ToUtf16(inner), errno);
        }
    }
    if (rmdir(native.c_str()) != 0) {
        Fail("Cannot remove", path, errno);
    }
}

std::optional<std::u16string> FinalPathOf(const std::u16string& path) {
    const std::unique_ptr<char, void (*)(void*)> real(realpath(Native(path).c_str(), nullptr),
                                                      std::free);
    if (!real) {
        return std::nullopt;
    }
    return Utf8ToUtf16(real.get());
}

std::u16string AbsolutePathOf(const std::u16string& path) {
    std::string native = Native(path);
    if (native.empty() || native[0] != '/') {
        const std::unique_ptr<char, void (*)(void*)> cwd(getcwd(nullptr, 0), std::free);
        native = std::string(cwd ? cwd.get() : "") + "/" + native;
    }
    std::vector<std::string> parts;
    for (size_t start = 0; start <= native.size();) {
        const size_t slash = std::min(native.find('/', start), native.size());
        if (slash > start) {
            parts.push_back(native.substr(start, slash - start));
        }
        start = slash + 1;
    }
    // The longest leading part that exists, with its links resolved by the system...
    std::string resolved = "/";
    size_t existing = parts.size();
    for (;; --existing) {
        std::string prefix;
        for (size_t i = 0; i < existing; ++i) {
            prefix += "/" + parts[i];
        }
        const std::unique_ptr<char, void (*)(void*)> real(
            realpath(prefix.empty() ? "/" : prefix.c_str(), nullptr), std::free);
        if (real) {
            resolved = real.get();
            break;
        }
        if (existing == 0) {
            break;
        }
    }
    // ...followed by the rest, resolved by its names alone.
    for (size_t i = existing; i < parts.size(); ++i) {
        if (parts[i] == ".") {
            continue;
        }
        if (parts[i] == "..") {
            resolved.erase(std::max<size_t>(resolved.rfind('/'), 1));
            continue;
        }
        if (resolved.back() != '/') {
            resolved += '/';
        }
        resolved += parts[i];
    }
    return Utf8ToUtf16(resolved);
}

bool SamePathName(std::u16string_view a, std::u16string_view b) {
    return a == b;
}

bool DriveOfPathExists(const std::u16string&) {
    return true;
}

}  // namespace quillmoor
