// The file system as the core sees it. Paths are UTF-16 texts; on Windows they are
// handed to the wide-character system calls, elsewhere converted to UTF-8.
#pragma once

#include <stdexcept>
#include <string>

namespace quillmoor {

// A file-system failure that ends the batch. what() is a complete message for the user:
// what was attempted, the path, and the system's reason.
class FileSystemError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// True when a regular file (not a folder) exists at path. A relative path is taken
// from the current working directory.
bool FileExists(const std::u16string& path);

// True when a folder exists at path.
bool DirectoryExists(const std::u16string& path);

}  // namespace quillmoor
