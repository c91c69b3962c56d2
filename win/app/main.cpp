// The program entry on Windows. The same executable is the browser process, which the user
// starts, and every sub-process that the engine starts with a "--type=" argument.
#include "win/app/program.h"

int main(int argc, char** argv) {
    return quillmoor::win::RunProgram(argc, argv);
}
