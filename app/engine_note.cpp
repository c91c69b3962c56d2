// Writes the note on the engine files that goes into the Windows program's package (see
// scripts/package-windows) to standard output, as it is.
#include <cstdio>

#include "startup/engine_distribution_note.h"

int main() {
    const std::string note = quillmoor::EngineDistributionNote();
    return std::fwrite(note.data(), 1, note.size(), stdout) == note.size() ? 0 : 1;
}
