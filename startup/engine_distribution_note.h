// The note that goes with the Windows program's package: which files of the engine's
// prebuilt distribution the user puts beside the program, and which build that is.
#pragma once

#include <string>

namespace quillmoor {

// The note, UTF-8 with CR LF line ends (it is read on Windows): the engine build, where the
// prebuilt distribution is published, and every file and folder of the Windows engine
// layout that the start-up checks for, in its order, the locale packs included.
std::string EngineDistributionNote();

}  // namespace quillmoor
