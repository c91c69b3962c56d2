// Where the running program lies.
#pragma once

#include <string>

namespace quillmoor {

// The full path of the running executable's file. Throws FileSystemError when the system
// does not tell.
std::u16string RunningProgramPath();

// The folder of the running executable, ending with a path separator. Throws
// FileSystemError when the system does not tell.
std::u16string RunningProgramFolder();

}  // namespace quillmoor
