// The engine's C interface (CEF 78.3.9, branch 3904): calling conventions, basic types,
// strings, enums, forward declarations and the plain value records.
//
// The declarations follow the engine's binary layout member by member. Records that are
// only passed by pointer and never looked into are declared as incomplete types.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

// Every function-pointer member of the engine's structs uses the system's callback
// convention: __stdcall on Windows (it matters on 32-bit x86), the default elsewhere.
#if defined(_WIN32)
#define CEF_CALLBACK __stdcall
#else
#define CEF_CALLBACK
#endif

// The engine's exported functions use the default C convention on every platform and are
// exported by their plain C names.
#if defined(_WIN32)
#define CEF_EXPORT __cdecl
#else
#define CEF_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// ---- Basic types -------------------------------------------------------------------------

#if defined(_WIN32)
typedef wchar_t char16;
#else
typedef unsigned short char16;
#endif
static_assert(sizeof(char16) == 2, "the engine's strings are made of 16-bit code units");

// int64 is long long everywhere but on 64-bit Linux, where it is long; int64_t matches both.
typedef int64_t cef_int64;
typedef uint64_t cef_uint64;
typedef uint32_t cef_uint32;

typedef cef_uint32 cef_color_t;

#if defined(_WIN32)
typedef HWND cef_window_handle_t;
#else
typedef unsigned long cef_window_handle_t;  // an X11 window id
#endif

// ---- Strings -----------------------------------------------------------------------------

// A string whose owner supplies dtor to free str; a static string has a null dtor.
typedef struct _cef_string_utf16_t {
    char16* str;
    size_t length;
    void (*dtor)(char16* str);
} cef_string_utf16_t;

typedef struct _cef_string_utf8_t {
    char* str;
    size_t length;
    void (*dtor)(char* str);
} cef_string_utf8_t;

typedef cef_string_utf16_t cef_string_t;

// A string allocated by one side and freed by the receiver with
// cef_string_userfree_utf16_free.
typedef cef_string_utf16_t* cef_string_userfree_utf16_t;
typedef cef_string_userfree_utf16_t cef_string_userfree_t;

// Opaque handles of string collections.
typedef void* cef_string_list_t;
typedef void* cef_string_map_t;

// ---- Enums -------------------------------------------------------------------------------

typedef enum {
    LOGSEVERITY_DEFAULT = 0,
    LOGSEVERITY_VERBOSE = 1,
    LOGSEVERITY_INFO = 2,
    LOGSEVERITY_WARNING = 3,
    LOGSEVERITY_ERROR = 4,
    LOGSEVERITY_FATAL = 5,
    LOGSEVERITY_DISABLE = 99,
} cef_log_severity_t;

typedef enum {
    STATE_DEFAULT = 0,
    STATE_ENABLED = 1,
    STATE_DISABLED = 2,
} cef_state_t;

typedef enum {
    WOD_UNKNOWN = 0,
    WOD_CURRENT_TAB = 1,
    WOD_SINGLETON_TAB = 2,
    WOD_NEW_FOREGROUND_TAB = 3,
    WOD_NEW_BACKGROUND_TAB = 4,
    WOD_NEW_POPUP = 5,
    WOD_NEW_WINDOW = 6,
    WOD_SAVE_TO_DISK = 7,
    WOD_OFF_THE_RECORD = 8,
    WOD_IGNORE_ACTION = 9,
} cef_window_open_disposition_t;

// Enums that only travel through the interface as parameters: their values are not used
// by this program, only their size (that of an int).
enum cef_file_dialog_mode_t : int {};
enum cef_paint_element_type_t : int {};
enum cef_mouse_button_type_t : int {};
enum cef_drag_operations_mask_t : unsigned int {};
enum cef_transition_type_t : unsigned int {};
enum cef_errorcode_t : int {};
enum cef_process_id_t : int {};

// ---- Records used by pointer only ----------------------------------------------------------

struct cef_composition_underline_t;
struct cef_key_event_t;
struct cef_mouse_event_t;
struct cef_pdf_print_settings_t;
struct cef_point_t;
struct cef_range_t;
struct cef_size_t;
struct cef_touch_event_t;

// ---- Objects that are never looked into ------------------------------------------------------

struct cef_context_menu_handler_t;
struct cef_dialog_handler_t;
struct cef_dictionary_value_t;
struct cef_display_handler_t;
struct cef_domvisitor_t;
struct cef_download_handler_t;
struct cef_download_image_callback_t;
struct cef_drag_data_t;
struct cef_drag_handler_t;
struct cef_extension_t;
struct cef_find_handler_t;
struct cef_focus_handler_t;
struct cef_jsdialog_handler_t;
struct cef_keyboard_handler_t;
struct cef_list_value_t;
struct cef_navigation_entry_t;
struct cef_navigation_entry_visitor_t;
struct cef_pdf_print_callback_t;
struct cef_print_handler_t;
struct cef_process_message_t;
struct cef_render_handler_t;
struct cef_render_process_handler_t;
struct cef_request_context_t;
struct cef_request_handler_t;
struct cef_request_t;
struct cef_resource_bundle_handler_t;
struct cef_run_file_dialog_callback_t;
struct cef_scheme_registrar_t;
struct cef_urlrequest_client_t;
struct cef_urlrequest_t;
struct cef_v8context_t;

// ---- Value records -----------------------------------------------------------------------

#if defined(_WIN32)
typedef struct _cef_main_args_t {
    HINSTANCE instance;
} cef_main_args_t;

typedef struct _cef_window_info_t {
    DWORD ex_style;
    cef_string_t window_name;
    DWORD style;
    int x;
    int y;
    int width;
    int height;
    cef_window_handle_t parent_window;
    HMENU menu;
    int windowless_rendering_enabled;
    int shared_texture_enabled;
    int external_begin_frame_enabled;
    cef_window_handle_t window;
} cef_window_info_t;
#else
typedef struct _cef_main_args_t {
    int argc;
    char** argv;
} cef_main_args_t;

typedef struct _cef_window_info_t {
    cef_string_t window_name;
    unsigned int x;
    unsigned int y;
    unsigned int width;
    unsigned int height;
    cef_window_handle_t parent_window;
    int windowless_rendering_enabled;
    int shared_texture_enabled;
    int external_begin_frame_enabled;
    cef_window_handle_t window;
} cef_window_info_t;
#endif

typedef struct _cef_settings_t {
    size_t size;
    int no_sandbox;
    cef_string_t browser_subprocess_path;
    cef_string_t framework_dir_path;
    cef_string_t main_bundle_path;
    int multi_threaded_message_loop;
    int external_message_pump;
    int windowless_rendering_enabled;
    int command_line_args_disabled;
    cef_string_t cache_path;
    cef_string_t root_cache_path;
    cef_string_t user_data_path;
    int persist_session_cookies;
    int persist_user_preferences;
    cef_string_t user_agent;
    cef_string_t product_version;
    cef_string_t locale;
    cef_string_t log_file;
    cef_log_severity_t log_severity;
    cef_string_t javascript_flags;
    cef_string_t resources_dir_path;
    cef_string_t locales_dir_path;
    int pack_loading_disabled;
    int remote_debugging_port;
    int uncaught_exception_stack_size;
    int ignore_certificate_errors;
    cef_color_t background_color;
    cef_string_t accept_language_list;
    cef_string_t application_client_id_for_file_scanning;
} cef_settings_t;

typedef struct _cef_browser_settings_t {
    size_t size;
    int windowless_frame_rate;
    cef_string_t standard_font_family;
    cef_string_t fixed_font_family;
    cef_string_t serif_font_family;
    cef_string_t sans_serif_font_family;
    cef_string_t cursive_font_family;
    cef_string_t fantasy_font_family;
    int default_font_size;
    int default_fixed_font_size;
    int minimum_font_size;
    int minimum_logical_font_size;
    cef_string_t default_encoding;
    cef_state_t remote_fonts;
    cef_state_t javascript;
    cef_state_t javascript_close_windows;
    cef_state_t javascript_access_clipboard;
    cef_state_t javascript_dom_paste;
    cef_state_t plugins;
    cef_state_t universal_access_from_file_urls;
    cef_state_t file_access_from_file_urls;
    cef_state_t web_security;
    cef_state_t image_loading;
    cef_state_t image_shrink_standalone_to_fit;
    cef_state_t text_area_resize;
    cef_state_t tab_to_links;
    cef_state_t local_storage;
    cef_state_t databases;
    cef_state_t application_cache;
    cef_state_t webgl;
    cef_color_t background_color;
    cef_string_t accept_language_list;
} cef_browser_settings_t;

typedef struct _cef_popup_features_t {
    int x;
    int xSet;
    int y;
    int ySet;
    int width;
    int widthSet;
    int height;
    int heightSet;
    int menuBarVisible;
    int statusBarVisible;
    int toolBarVisible;
    int scrollbarsVisible;
} cef_popup_features_t;

}  // extern "C"

#if defined(_WIN32) && !defined(_WIN64)
// The size that the engine build for 32-bit Windows expects in cef_settings_t::size.
static_assert(sizeof(cef_settings_t) == 236, "cef_settings_t must match the engine's layout");
static_assert(sizeof(cef_string_t) == 12, "cef_string_t must match the engine's layout");
#endif
