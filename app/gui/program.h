// The window program from start to end, in both of its process roles.
#pragma once

namespace quillmoor {

// Runs the program with the arguments main received and returns its exit code (0 in every
// case). GUI thread: the process's main thread.
int RunProgram(int argc, char** argv);

}  // namespace quillmoor
