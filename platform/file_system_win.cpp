#include "platform/file_system.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "platform/file_system_reasons.h"
#include "platform/no_copy.h"
#include "platform/system_error_text.h"
#include "platform/utf.h"

namespace quillmoor {
namespace {

// Files are written in blocks of at most this size, and read in blocks of this size (small
// enough to stay in the processor's caches).
constexpr DWORD kBlockBytes = DWORD{1} << 26;
constexpr DWORD kReadBlockBytes = DWORD{256} << 10;

const wchar_t* Wide(const std::u16string& path) {
    return reinterpret_cast<const wchar_t*>(path.c_str());
}

[[noreturn]] void Fail(std::string_view attempt, std::u16string_view path, DWORD error) {
    throw FileSystemError(attempt, path, SystemErrorText(error));
}

DWORD AttributesOf(const std::u16string& path) {
    return GetFileAttributesW(Wide(path));
}

class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (IsOpen()) {
            CloseHandle(handle_);
        }
    }
    QUILLMOOR_NO_COPY(Handle);

    HANDLE Get() const { return handle_; }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    // Closes the handle; returns 0 or the system's error.
    DWORD Close() {
        const BOOL closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed ? 0 : GetLastError();
    }

  private:
    HANDLE handle_;
};

// Writes all bytes; returns 0 or the system's error.
DWORD WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD block = static_cast<DWORD>(std::min<size_t>(bytes.size(), kBlockBytes));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), block, &written, nullptr)) {
            return GetLastError();
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        bytes.remove_prefix(written);
    }
    return 0;
}

class HandleSink : public FileContentSink {
  public:
    HandleSink(HANDLE file, std::u16string_view reported_path)
        : file_(file), path_(reported_path) {}
    void Write(std::string_view bytes) override {
        if (const DWORD error = WriteAll(file_, bytes)) {
            Fail("Cannot write the file", path_, error);
        }
    }
    bool CanRewind() const override { return true; }
    void Rewind() override {
        if (!SetFilePointerEx(file_, LARGE_INTEGER{}, nullptr, FILE_BEGIN) ||
            !SetEndOfFile(file_)) {
            Fail("Cannot write the file", path_, GetLastError());
        }
    }

  private:
    HANDLE file_;
    std::u16string_view path_;
};

// Creates path exclusively and fills it; errors name reported_path. Returns false when
// something exists at path.
bool CreateAndFill(const std::u16string& path, std::u16string_view reported_path,
                   std::string_view attempt, const FileContentWriter& write_content) {
    if (AttributesOf(path) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    Handle file(CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
            return false;
        }
        Fail(attempt, reported_path, error);
    }
    if (const DWORD error = FillAndClose<HandleSink>(file, reported_path, write_content,
                                                     [&] { DeleteFileW(Wide(path)); })) {
        Fail("Cannot write the file", reported_path, error);
    }
    return true;
}

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

// The folder part of a path, with its final separator (or drive colon); empty for a bare name.
std::u16string FolderPrefixOf(const std::u16string& path) {
    const size_t end = path.find_last_of(u"\\/:");
    return end == std::u16string::npos ? std::u16string() : path.substr(0, end + 1);
}

}  // namespace

bool FileExists(const std::u16string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::u16string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ReadFileContent(const std::u16string& path, std::uint64_t max_bytes,
                     FileContentReceiver& receiver) {
    if (DirectoryExists(path)) {
        throw FileSystemError("Cannot read the file", path, kIsFolderReason);
    }
    Handle file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsOpen()) {
        Fail("Cannot open the file", path, GetLastError());
    }
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        throw FileSystemError("Cannot read the file", path, kNotRegularFileReason);
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        Fail("Cannot read the file", path, GetLastError());
    }
    // Nobody can write the file while it is open, so its size holds; the limit is kept all
    // the same.
    LimitedFileRead reading(path, static_cast<std::uint64_t>(size.QuadPart), max_bytes,
                            kReadBlockBytes, receiver);
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file.Get(), reading.Block(), static_cast<DWORD>(reading.BlockBytes()), &count,
                      nullptr)) {
            Fail("Cannot read the file", path, GetLastError());
        }
        if (count == 0) {
            break;
        }
        reading.Take(count);
    }
}

bool WriteNewFile(const std::u16string& path, const FileContentWriter& write_content) {
    return CreateAndFill(path, path, "Cannot create the file", write_content);
}

void ReplaceFileContent(const std::u16string& path, const FileContentWriter& write_content) {
    const DWORD attributes = AttributesOf(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            throw FileSystemError("Cannot replace the file", path, kIsFolderReason);
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            Fail("Cannot replace the file", path, ERROR_ACCESS_DENIED);
        }
    }
    const std::u16string folder = FolderPrefixOf(path);
    const std::optional<std::u16string> temporary = FillTemporaryFile(
        [&](unsigned attempt) {
            return folder + Utf8ToUtf16(TemporaryFileName(GetCurrentProcessId(), attempt));
        },
        [&](const std::u16string& name) {
            return CreateAndFill(name, path, "Cannot write the file", write_content);
        });
    if (!temporary) {
        Fail("Cannot write the file", path, ERROR_FILE_EXISTS);
    }
    if (!MoveFileExW(Wide(*temporary), Wide(path), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = GetLastError();
        DeleteFileW(Wide(*temporary));
        Fail("Cannot replace the file", path, error);
    }
}

bool RemoveFile(const std::u16string& path) {
    return DeleteFileW(Wide(path)) != 0;
}

void MakeDirectories(const std::u16string& path) {
    DWORD failure = 0;
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && !IsSeparator(path[i])) {
            continue;
        }
        // A folder that exists (a drive among them) is fine; the first other failure is
        // the reason.
        const std::u16string prefix = path.substr(0, i);
        if (!CreateDirectoryW(Wide(prefix), nullptr) && failure == 0 && !DirectoryExists(prefix)) {
            failure = GetLastError();
        }
    }
    if (!path.empty() && DirectoryExists(path)) {
        return;
    }
    Fail("Cannot create the folder", path, failure != 0 ? failure : ERROR_PATH_NOT_FOUND);
}

std::vector<FolderEntry> ListFolder(const std::u16string& path) {
    std::vector<FolderEntry> entries;
    std::u16string pattern = path;
    if (!pattern.empty() && !IsSeparator(pattern.back())) {
        pattern += u'\\';
    }
    pattern += u'*';
    WIN32_FIND_DATAW data{};
    const HANDLE search =
        FindFirstFileExW(Wide(pattern), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                         FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        // No entry at all (a drive's empty root) is an empty list, not a failure.
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            Fail("Cannot list the folder", path, error);
        }
        return entries;
    }
    do {
        const std::u16string name(reinterpret_cast<const char16_t*>(data.cFileName));
        if (name == u"." || name == u"..") {
            continue;
        }
        const DWORD attributes = data.dwFileAttributes;
        FolderEntryKind kind = FolderEntryKind::kFile;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? FolderEntryKind::kFolderLink
                                                               : FolderEntryKind::kFolder;
        }
        entries.push_back({name, kind});
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return entries;
}

void CopyFileOver(const std::u16string& from, const std::u16string& to) {
    constexpr const char* kAttempt = "Cannot copy the file";
    if (DirectoryExists(from)) {
        throw FileSystemError(kAttempt, from, kIsFolderReason);
    }
    if (CopyFileW(Wide(from), Wide(to), FALSE)) {
        return;
    }
    // A copy takes the attributes of its source, and the system refuses to copy over a
    // read-only, hidden or system file: a file that an earlier copy made so would never be
    // brought up to date. Such a file is cleared of those attributes for the copy, which
    // gives it its source's attributes again.
    constexpr DWORD kRefusingAttributes =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const DWORD error = GetLastError();
    const DWORD attributes = AttributesOf(to);
    if (error != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) || !(attributes & kRefusingAttributes)) {
        Fail(kAttempt, from, error);
    }
    const DWORD cleared = attributes & ~kRefusingAttributes;
    if (!SetFileAttributesW(Wide(to), cleared != 0 ? cleared : FILE_ATTRIBUTE_NORMAL)) {
        Fail(kAttempt, from, GetLastError());
    }
    if (CopyFileW(Wide(from), Wide(to), FALSE)) {
        return;
    }
    const DWORD again = GetLastError();
    SetFileAttributesW(Wide(to), attributes);
    Fail(kAttempt, from, again);
}

bool MakeNewFolder(const std::u16string& path) {
    if (CreateDirectoryW(Wide(path), nullptr)) {
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
        return false;
    }
    Fail("Cannot create the folder", path, error);
}

void RenamePath(const std::u16string& from, const std::u16string& to) {
    // Without MOVEFILE_REPLACE_EXISTING nothing at to is replaced.
    if (!MoveFileExW(Wide(from), Wide(to), 0)) {
        Fail("Cannot rename", from, GetLastError());
    }
}

void RemoveFolderTree(const std::u16string& path) {
    const std::u16string prefix = !path.empty() && IsSeparator(path.back()) ? path : path + u"\\";
    for (const FolderEntry& entry : ListFolder(path)) {
        const std::u16string inner = prefix + entry.name;
        bool removed = true;
        if (entry.kind == FolderEntryKind::kFolder) {
            RemoveFolderTree(inner);
        } else if (entry.kind == FolderEntryKind::kFolderLink) {
            removed = RemoveDirectoryW(Wide(inner)) != 0;  // the junction, not its target
        } else {
            // A copy keeps its source's attributes; a read-only file is not deleted.
            const DWORD attributes = AttributesOf(inner);
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
                SetFileAttributesW(Wide(inner), attributes & ~FILE_ATTRIBUTE_READONLY);
            }
            removed = DeleteFileW(Wide(inner)) != 0;
        }
        if (!removed) {
            Fail("Cannot remove", inner, GetLastError());
        }
    }
    if (!RemoveDirectoryW(Wide(path))) {
        Fail("Cannot remove", path, GetLastError());
    }
}

std::optional<std::u16string> FinalPathOf(const std::u16string& path) {
    // Backup semantics open folders too; no access beyond the attributes is asked for.
    Handle file(CreateFileW(Wide(path), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.IsOpen()) {
        return std::nullopt;
    }
    std::u16string resolved(MAX_PATH, u'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(
            file.Get(), reinterpret_cast<wchar_t*>(resolved.data()),
            static_cast<DWORD>(resolved.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return std::nullopt;
        }
        const bool fits = length < resolved.size();
        resolved.resize(length);
        if (fits) {
            break;
        }
    }
    // The system gives the long form: \\?\C:\... or \\?\UNC\server\share\...
    constexpr std::u16string_view kLongUnc = u"\\\\?\\UNC\\";
    constexpr std::u16string_view kLong = u"\\\\?\\";
    if (resolved.starts_with(kLongUnc)) {
        return u"\\\\" + resolved.substr(kLongUnc.size());
    }
    if (resolved.starts_with(kLong)) {
        return resolved.substr(kLong.size());
    }
    return resolved;
}

std::u16string AbsolutePathOf(const std::u16string& path) {
    DWORD capacity = MAX_PATH;
    std::u16string full;
    for (;;) {
        full.resize(capacity);
        const DWORD length = GetFullPathNameW(Wide(path), capacity,
                                              reinterpret_cast<wchar_t*>(full.data()), nullptr);
        if (length == 0) {
            return path;
        }
        if (length < capacity) {
            full.resize(length);
            break;
        }
        capacity = length;
    }
    const bool is_drive_root = full.size() == 3 && full[1] == u':';
    while (full.size() > 1 && IsSeparator(full.back()) && !is_drive_root) {
        full.pop_back();
    }
    return full;
}

bool SamePathName(std::u16string_view a, std::u16string_view b) {
    return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a.data()),
                                static_cast<int>(a.size()),
                                reinterpret_cast<const wchar_t*>(b.data()),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool DriveOfPathExists(const std::u16string& path) {
    const std::u16string full = AbsolutePathOf(path);
    if (full.size() < 2 || full[1] != u':') {
        return true;  // a share or a device path: the copy itself finds out
    }
    const std::u16string root = full.substr(0, 2) + u"\\";
    return GetDriveTypeW(Wide(root)) != DRIVE_NO_ROOT_DIR;
}

}  // namespace quillmoor
