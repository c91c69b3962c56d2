// The process's current working directory.
#pragma once

#include <string>

namespace quillmoor {

// The absolute path of the current working directory, without a trailing separator
// (except for a root). Throws FileSystemError when the system cannot tell it.
std::u16string CurrentDirectory();

}  // namespace quillmoor
