// The window program on Windows: the engine's start-up, then the main window, the about
// window, the hidden browser and the batch over the Win32 front end, until the main window
// closes.
#pragma once

namespace quillmoor::win {

// The whole run of the process; returns its exit code (0, also after a failed start, which
// was shown to the user). The same executable is every engine sub-process, whose work the
// engine does before this returns.
int RunProgram(int argc, char** argv);

}  // namespace quillmoor::win
