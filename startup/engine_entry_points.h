// The engine library's exported functions that the program and its browser layer call.
#pragma once

#include <string>

#include "engine/cef_exports.h"

namespace quillmoor {

// Every function is looked up by name when the library is loaded; a library that lacks
// one of them is not the engine build this program is made for.
#define QUILLMOOR_ENGINE_ENTRY_POINTS(X)      \
    X(cef_execute_process)                    \
    X(cef_initialize)                         \
    X(cef_shutdown)                           \
    X(cef_set_osmodal_loop)                   \
    X(cef_enable_highdpi_support)             \
    X(cef_browser_host_create_browser)        \
    X(cef_browser_host_create_browser_sync)   \
    X(cef_request_context_get_global_context) \
    X(cef_string_utf16_set)                   \
    X(cef_string_utf16_clear)                 \
    X(cef_string_userfree_utf16_alloc)        \
    X(cef_string_userfree_utf16_free)         \
    X(cef_string_utf8_to_utf16)               \
    X(cef_string_utf16_to_utf8)               \
    X(cef_string_list_alloc)                  \
    X(cef_string_list_size)                   \
    X(cef_string_list_value)                  \
    X(cef_string_list_append)                 \
    X(cef_string_list_clear)                  \
    X(cef_string_list_free)                   \
    X(cef_string_list_copy)                   \
    X(cef_command_line_create)                \
    X(cef_command_line_get_global)            \
    X(cef_version_info)                       \
    X(cef_api_hash)

struct EngineEntryPoints {
#define QUILLMOOR_DECLARE_ENTRY_POINT(name) name##_fn name = nullptr;
    QUILLMOOR_ENGINE_ENTRY_POINTS(QUILLMOOR_DECLARE_ENTRY_POINT)
#undef QUILLMOOR_DECLARE_ENTRY_POINT

    // Looks every function up in the loaded library. Returns the name of the first one
    // that is missing (the others are then left null), or an empty text.
    std::string Resolve(void* library);
};

}  // namespace quillmoor
