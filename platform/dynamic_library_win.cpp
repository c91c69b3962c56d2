#include "platform/dynamic_library.h"

#include <windows.h>

#include "platform/system_error_text.h"

namespace quillmoor {

LibraryLoadResult LoadDynamicLibrary(const std::u16string& path) {
    LibraryLoadResult result;
    SetLastError(ERROR_SUCCESS);
    HMODULE module = LoadLibraryExW(reinterpret_cast<const wchar_t*>(path.c_str()), nullptr,
                                    LOAD_WITH_ALTERED_SEARCH_PATH);
    result.handle = reinterpret_cast<void*>(module);
    if (module == nullptr) {
        result.error_code = GetLastError();
        result.reason = SystemErrorText(result.error_code);
    }
    return result;
}

void* FindLibraryEntryPoint(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

}  // namespace quillmoor
