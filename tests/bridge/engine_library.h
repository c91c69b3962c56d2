// libcef.so as the program uses it: loaded by path with dlopen, functions found by name.
#pragma once

#include <string>

#include "engine/cef_capi.h"

namespace quillmoor::bridge_test {

struct EngineLibrary {
    // The library of this build, loaded once for the whole test process and never unloaded.
    static const EngineLibrary& Get();
    static const char* Path();

    void* handle = nullptr;
    cef_execute_process_fn execute_process = nullptr;
    cef_initialize_fn initialize = nullptr;
    cef_shutdown_fn shutdown = nullptr;
    cef_browser_host_create_browser_fn create_browser = nullptr;
    cef_browser_host_create_browser_sync_fn create_browser_sync = nullptr;
    cef_string_utf16_set_fn string_set = nullptr;
    cef_string_utf16_clear_fn string_clear = nullptr;
    cef_string_userfree_utf16_alloc_fn userfree_alloc = nullptr;
    cef_string_userfree_utf16_free_fn userfree_free = nullptr;
    cef_string_utf8_to_utf16_fn utf8_to_utf16 = nullptr;
    cef_string_utf16_to_utf8_fn utf16_to_utf8 = nullptr;
    cef_string_list_alloc_fn list_alloc = nullptr;
    cef_string_list_size_fn list_size = nullptr;
    cef_string_list_value_fn list_value = nullptr;
    cef_string_list_append_fn list_append = nullptr;
    cef_string_list_clear_fn list_clear = nullptr;
    cef_string_list_free_fn list_free = nullptr;
    cef_string_list_copy_fn list_copy = nullptr;
    cef_command_line_create_fn command_line_create = nullptr;
    cef_command_line_get_global_fn command_line_global = nullptr;
    cef_version_info_fn version_info = nullptr;
};

// The first of chromium, chromium-browser, google-chrome on PATH; empty when none is.
std::string ChromiumOnPath();

}  // namespace quillmoor::bridge_test
