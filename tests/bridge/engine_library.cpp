#include "tests/bridge/engine_library.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "bridge/chromium_locator.h"
#include "tests/support/test_folder.h"

namespace quillmoor::bridge_test {

namespace {

EngineLibrary Load() {
    EngineLibrary library;
    library.handle = dlopen(EngineLibrary::Path(), RTLD_NOW | RTLD_LOCAL);
    if (library.handle == nullptr) {
        throw std::runtime_error(std::string("cannot load libcef.so: ") + dlerror());
    }
    const std::string missing = library.Resolve(library.handle);
    if (!missing.empty()) {
        throw std::runtime_error("libcef.so lacks " + missing);
    }
    return library;
}

}  // namespace

const char* EngineLibrary::Path() {
    return QUILLMOOR_ENGINE_LIBRARY;
}

const EngineLibrary& EngineLibrary::Get() {
    static const EngineLibrary library = Load();
    return library;
}

std::string ChromiumOnPath() {
    const char* path = std::getenv("PATH");
    return bridge::FindChromium(path != nullptr ? path : "").value_or("");
}

std::string WriteFileWithMode(const std::string& file, const std::string& text, unsigned mode) {
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    testing::WriteBytes(file, text);
    chmod(file.c_str(), static_cast<mode_t>(mode));
    return file;
}

}  // namespace quillmoor::bridge_test
