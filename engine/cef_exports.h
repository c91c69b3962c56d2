// The engine's C interface (CEF 78.3.9, branch 3904): the exported functions that the
// program and its browser layer use.
//
// The program never links against the engine: it loads the engine library at run time and
// looks every function up by name, through the pointer types below. The prototypes are
// declared for the engine library's own implementation, so that its definitions are
// checked against the same signatures.
#pragma once

#include "engine/cef_object_types.h"

extern "C" {

// ---- Process start, initialisation and shutdown --------------------------------------------

CEF_EXPORT int cef_execute_process(const cef_main_args_t* args, cef_app_t* application,
                                   void* windows_sandbox_info);
CEF_EXPORT int cef_initialize(const cef_main_args_t* args, const cef_settings_t* settings,
                              cef_app_t* application, void* windows_sandbox_info);
CEF_EXPORT void cef_shutdown(void);
CEF_EXPORT void cef_set_osmodal_loop(int osModalLoop);
CEF_EXPORT void cef_enable_highdpi_support(void);

// ---- Browsers ------------------------------------------------------------------------------

CEF_EXPORT int cef_browser_host_create_browser(const cef_window_info_t* windowInfo,
                                               cef_client_t* client, const cef_string_t* url,
                                               const cef_browser_settings_t* settings,
                                               cef_dictionary_value_t* extra_info,
                                               cef_request_context_t* request_context);
CEF_EXPORT cef_browser_t* cef_browser_host_create_browser_sync(
    const cef_window_info_t* windowInfo, cef_client_t* client, const cef_string_t* url,
    const cef_browser_settings_t* settings, cef_dictionary_value_t* extra_info,
    cef_request_context_t* request_context);
CEF_EXPORT cef_request_context_t* cef_request_context_get_global_context(void);

// ---- Strings -------------------------------------------------------------------------------

CEF_EXPORT int cef_string_utf16_set(const char16* src, size_t src_len, cef_string_utf16_t* output,
                                    int copy);
CEF_EXPORT void cef_string_utf16_clear(cef_string_utf16_t* str);
CEF_EXPORT cef_string_userfree_utf16_t cef_string_userfree_utf16_alloc(void);
CEF_EXPORT void cef_string_userfree_utf16_free(cef_string_userfree_utf16_t str);
CEF_EXPORT int cef_string_utf8_to_utf16(const char* src, size_t src_len,
                                        cef_string_utf16_t* output);
CEF_EXPORT int cef_string_utf16_to_utf8(const char16* src, size_t src_len,
                                        cef_string_utf8_t* output);

// ---- String lists --------------------------------------------------------------------------

CEF_EXPORT cef_string_list_t cef_string_list_alloc(void);
CEF_EXPORT size_t cef_string_list_size(cef_string_list_t list);
CEF_EXPORT int cef_string_list_value(cef_string_list_t list, size_t index, cef_string_t* value);
CEF_EXPORT void cef_string_list_append(cef_string_list_t list, const cef_string_t* value);
CEF_EXPORT void cef_string_list_clear(cef_string_list_t list);
CEF_EXPORT void cef_string_list_free(cef_string_list_t list);
CEF_EXPORT cef_string_list_t cef_string_list_copy(cef_string_list_t list);

// ---- Command lines -------------------------------------------------------------------------

CEF_EXPORT cef_command_line_t* cef_command_line_create(void);
CEF_EXPORT cef_command_line_t* cef_command_line_get_global(void);

// ---- Build identification ------------------------------------------------------------------

// entry 0..2: CEF major, minor, patch; 3: commit number; 4..7: Chromium major, minor,
// build, patch.
CEF_EXPORT int cef_version_info(int entry);
// entry 0: platform API hash; 1: universal API hash; 2: commit hash.
CEF_EXPORT const char* cef_api_hash(int entry);

}  // extern "C"

// Pointer types for the functions above as they are looked up in the loaded library.
using cef_execute_process_fn = decltype(&cef_execute_process);
using cef_initialize_fn = decltype(&cef_initialize);
using cef_shutdown_fn = decltype(&cef_shutdown);
using cef_set_osmodal_loop_fn = decltype(&cef_set_osmodal_loop);
using cef_enable_highdpi_support_fn = decltype(&cef_enable_highdpi_support);
using cef_browser_host_create_browser_fn = decltype(&cef_browser_host_create_browser);
using cef_browser_host_create_browser_sync_fn = decltype(&cef_browser_host_create_browser_sync);
using cef_request_context_get_global_context_fn = decltype(&cef_request_context_get_global_context);
using cef_string_utf16_set_fn = decltype(&cef_string_utf16_set);
using cef_string_utf16_clear_fn = decltype(&cef_string_utf16_clear);
using cef_string_userfree_utf16_alloc_fn = decltype(&cef_string_userfree_utf16_alloc);
using cef_string_userfree_utf16_free_fn = decltype(&cef_string_userfree_utf16_free);
using cef_string_utf8_to_utf16_fn = decltype(&cef_string_utf8_to_utf16);
using cef_string_utf16_to_utf8_fn = decltype(&cef_string_utf16_to_utf8);
using cef_string_list_alloc_fn = decltype(&cef_string_list_alloc);
using cef_string_list_size_fn = decltype(&cef_string_list_size);
using cef_string_list_value_fn = decltype(&cef_string_list_value);
using cef_string_list_append_fn = decltype(&cef_string_list_append);
using cef_string_list_clear_fn = decltype(&cef_string_list_clear);
using cef_string_list_free_fn = decltype(&cef_string_list_free);
using cef_string_list_copy_fn = decltype(&cef_string_list_copy);
using cef_command_line_create_fn = decltype(&cef_command_line_create);
using cef_command_line_get_global_fn = decltype(&cef_command_line_get_global);
using cef_version_info_fn = decltype(&cef_version_info);
using cef_api_hash_fn = decltype(&cef_api_hash);
