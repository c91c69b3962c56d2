// The process's current working directory.
#pragma once

#include <string>

namespace quillmoor {

// The absolute path of the current working directory, without a trailing separator
// (except for a root). Throws FileSystemError when the system cannot tell it.
std::u16string CurrentDirectory();

// The absolute path of name (a file or folder name, or a relative path) in the current
// working directory.
std::u16string PathInCurrentDirectory(const std::u16string& name);

}  // namespace quillmoor
