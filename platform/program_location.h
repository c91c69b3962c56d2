// Where the running program lies.
#pragma once

#include <string>

namespace quillmoor {

// The folder of the running executable, ending with a path separator. Throws
// FileSystemError when the system does not tell.
std::u16string RunningProgramFolder();

}  // namespace quillmoor
