// libcef.so as the program uses it: loaded by path with dlopen, every function found by
// name the way the program's start-up finds them.
#pragma once

#include <string>

#include "startup/engine_entry_points.h"

namespace quillmoor::bridge_test {

struct EngineLibrary : EngineEntryPoints {
    // The library of this build, loaded once for the whole test process and never unloaded.
    static const EngineLibrary& Get();
    static const char* Path();

    void* handle = nullptr;
};

// The first of chromium, chromium-browser, google-chrome on PATH; empty when none is.
std::string ChromiumOnPath();

// Writes text to file (making its folders) with the given permissions; returns its path.
std::string WriteFileWithMode(const std::string& file, const std::string& text, unsigned mode);

}  // namespace quillmoor::bridge_test
