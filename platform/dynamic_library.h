// Loading a shared library at run time and looking up its entry points.
#pragma once

#include <cstdint>
#include <string>

namespace quillmoor {

struct LibraryLoadResult {
    void* handle = nullptr;   // null when the load failed
    uint32_t error_code = 0;  // the system error code of the failure
    std::string reason;       // the loader's own words on the failure, when it has any
};

// Loads the library named by path: a bare name goes through the system's library search
// (on Windows with LOAD_WITH_ALTERED_SEARCH_PATH), a path is taken as it is. The library
// stays loaded for the life of the process.
LibraryLoadResult LoadDynamicLibrary(const std::u16string& path);

// The address of the exported function name, or null when the library has none.
void* FindLibraryEntryPoint(void* library, const char* name);

}  // namespace quillmoor
