#include "tests/startup/test_engine_library.h"

#include <stdexcept>

#include "platform/utf.h"
#include "tests/startup/engine_fixture.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace quillmoor::test_support {
namespace {

using ControlEntryPoint = test_engine::Control* (*)();

#if defined(_WIN32)
ControlEntryPoint ControlEntry(void* library) {
    return reinterpret_cast<ControlEntryPoint>(reinterpret_cast<void*>(
        GetProcAddress(static_cast<HMODULE>(library), "quillmoor_test_engine_control")));
}
#else
ControlEntryPoint ControlEntry(void* library) {
    return reinterpret_cast<ControlEntryPoint>(dlsym(library, "quillmoor_test_engine_control"));
}
#endif

}  // namespace

TestEngineLibrary::TestEngineLibrary(const std::string& built_folder) {
#if defined(_WIN32)
    copy_ = std::make_unique<FixtureFolder>();
    WriteWindowsEngineFiles(*copy_);
    folder_ = copy_->path();
    std::filesystem::copy_file(std::filesystem::path(built_folder) / "libcef.dll", LibraryPath(),
                               std::filesystem::copy_options::overwrite_existing);
#else
    folder_ = built_folder;
#endif
}

TestEngineLibrary::~TestEngineLibrary() {
#if defined(_WIN32)
    const std::wstring path = LibraryPath().wstring();
    HMODULE module = GetModuleHandleW(path.c_str());
    if (module == nullptr) {
        return;
    }
    // The engine's thread must end and its references go back before its code is unloaded.
    if (const auto entry = ControlEntry(module)) {
        entry()->Reset(test_engine::Script());
    }
    UnloadEngineLibraryIn(folder_);
#endif
}

std::filesystem::path TestEngineLibrary::LibraryPath() const {
    return folder_ / Utf16ToUtf8(Layout().library_name);
}

test_engine::Control& TestEngineLibrary::control() {
    if (control_ != nullptr) {
        return *control_;
    }
    const std::filesystem::path path = LibraryPath();
#if defined(_WIN32)
    const HMODULE loaded = GetModuleHandleW(L"libcef.dll");
    if (loaded != nullptr && loaded != GetModuleHandleW(path.wstring().c_str())) {
        throw std::logic_error("a libcef.dll of an earlier test is still loaded");
    }
    library_ = LoadLibraryW(path.wstring().c_str());
    if (library_ == nullptr) {
        throw std::runtime_error("cannot load " + path.string() + ": error " +
                                 std::to_string(GetLastError()));
    }
#else
    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr) {
        throw std::runtime_error(dlerror());
    }
#endif
    const ControlEntryPoint entry = ControlEntry(library_);
    if (entry == nullptr) {
        throw std::runtime_error(path.string() + " is no test engine library");
    }
    control_ = entry();
    return *control_;
}

#if defined(_WIN32)
bool TestEngineLibrary::EngineLibraryLoaded() {
    return GetModuleHandleW(L"libcef.dll") != nullptr;
}
#endif

}  // namespace quillmoor::test_support
