// The program entry. The same executable is the browser process, which the user starts,
// and every sub-process that the engine starts with a "--type=" argument.
#include "app/gui/program.h"

int main(int argc, char** argv) {
    return quillmoor::RunProgram(argc, argv);
}
