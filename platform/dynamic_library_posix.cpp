#include "platform/dynamic_library.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/utf.h"

namespace quillmoor {
namespace {

// The loader reports failures in words only. The error code is what opening the file
// says (no such file, no permission), or ENOEXEC when the file opens but is no library
// the loader could use.
uint32_t LoadErrorCode(const std::string& path) {
    if (path.find('/') == std::string::npos) {
        return ENOENT;  // not found by the loader's search
    }
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return static_cast<uint32_t>(errno);
    }
    close(fd);
    return ENOEXEC;
}

}  // namespace

LibraryLoadResult LoadDynamicLibrary(const std::u16string& path) {
    const std::string native = Utf16ToUtf8(path);
    LibraryLoadResult result;
    dlerror();
    result.handle = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (result.handle == nullptr) {
        if (const char* reason = dlerror()) {
            result.reason = reason;
        }
        result.error_code = LoadErrorCode(native);
    }
    return result;
}

void* FindLibraryEntryPoint(void* library, const char* name) {
    return dlsym(library, name);
}

}  // namespace quillmoor
