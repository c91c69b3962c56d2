// Checks that the engine's files are present in the working directory.
#pragma once

#include <string>

#include "startup/engine_layout.h"

namespace quillmoor {

// The engine files of the layout that are missing, in the order checked, each followed by
// CR LF; empty when all are there. When the locales folder itself is missing, every
// locale pack is listed without looking for it.
std::u16string FindMissingEngineFiles(const EngineLayout& layout);

}  // namespace quillmoor
