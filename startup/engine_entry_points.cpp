#include "startup/engine_entry_points.h"

#include "platform/dynamic_library.h"

namespace quillmoor {

std::string EngineEntryPoints::Resolve(void* library) {
    EngineEntryPoints found;
#define QUILLMOOR_RESOLVE_ENTRY_POINT(name)                                          \
    found.name = reinterpret_cast<name##_fn>(FindLibraryEntryPoint(library, #name)); \
    if (found.name == nullptr) {                                                     \
        return #name;                                                                \
    }
    QUILLMOOR_ENGINE_ENTRY_POINTS(QUILLMOOR_RESOLVE_ENTRY_POINT)
#undef QUILLMOOR_RESOLVE_ENTRY_POINT
    *this = found;
    return std::string();
}

}  // namespace quillmoor
