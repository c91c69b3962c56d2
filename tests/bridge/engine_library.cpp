#include "tests/bridge/engine_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <stdexcept>

#include "bridge/chromium_locator.h"

namespace quillmoor::bridge_test {

namespace {

template <typename F>
void Find(void* handle, F& function, const char* name) {
    function = reinterpret_cast<F>(dlsym(handle, name));
    if (function == nullptr)
        throw std::runtime_error(std::string("libcef.so lacks ") + name);
}

EngineLibrary Load() {
    EngineLibrary library;
    library.handle = dlopen(EngineLibrary::Path(), RTLD_NOW | RTLD_LOCAL);
    if (library.handle == nullptr)
        throw std::runtime_error(std::string("cannot load libcef.so: ") + dlerror());
    Find(library.handle, library.execute_process, "cef_execute_process");
    Find(library.handle, library.initialize, "cef_initialize");
    Find(library.handle, library.shutdown, "cef_shutdown");
    Find(library.handle, library.create_browser, "cef_browser_host_create_browser");
    Find(library.handle, library.create_browser_sync, "cef_browser_host_create_browser_sync");
    Find(library.handle, library.string_set, "cef_string_utf16_set");
    Find(library.handle, library.string_clear, "cef_string_utf16_clear");
    Find(library.handle, library.userfree_alloc, "cef_string_userfree_utf16_alloc");
    Find(library.handle, library.userfree_free, "cef_string_userfree_utf16_free");
    Find(library.handle, library.utf8_to_utf16, "cef_string_utf8_to_utf16");
    Find(library.handle, library.utf16_to_utf8, "cef_string_utf16_to_utf8");
    Find(library.handle, library.list_alloc, "cef_string_list_alloc");
    Find(library.handle, library.list_size, "cef_string_list_size");
    Find(library.handle, library.list_value, "cef_string_list_value");
    Find(library.handle, library.list_append, "cef_string_list_append");
    Find(library.handle, library.list_clear, "cef_string_list_clear");
    Find(library.handle, library.list_free, "cef_string_list_free");
    Find(library.handle, library.list_copy, "cef_string_list_copy");
    Find(library.handle, library.command_line_create, "cef_command_line_create");
    Find(library.handle, library.command_line_global, "cef_command_line_get_global");
    Find(library.handle, library.version_info, "cef_version_info");
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

}  // namespace quillmoor::bridge_test
