#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <cerrno>

#include "platform/utf.h"

namespace quillmoor {

LibraryLoadResult LoadDynamicLibrary(const std::u16string& path) {
    LibraryLoadResult result;
    dlerror();
    errno = 0;
    result.handle = dlopen(Utf16ToUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (result.handle == nullptr) {
        const int error = errno;
        // The loader does not always say why in errno (a file of the wrong format, a
        // missing symbol); ENOEXEC stands for those.
        result.error_code = static_cast<uint32_t>(error != 0 ? error : ENOEXEC);
        if (const char* reason = dlerror()) {
            result.reason = reason;
        }
    }
    return result;
}

void* FindLibraryEntryPoint(void* library, const char* name) {
    return dlsym(library, name);
}

}  // namespace quillmoor
