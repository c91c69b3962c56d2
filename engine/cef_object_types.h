// The engine's C interface (CEF 78.3.9, branch 3904): the reference-counted objects.
//
// Each object is a table of function pointers laid out by position, so every table is
// declared complete and in order. Every object starts with cef_base_ref_counted_t, whose
// size member holds the size of the whole struct. A pointer passed into a function as an
// argument carries a reference that the receiver releases (or keeps); an object returned
// by a getter carries a reference for the caller.
#pragma once

#include "engine/cef_base_types.h"

extern "C" {

struct _cef_app_t;
struct _cef_browser_host_t;
struct _cef_browser_process_handler_t;
struct _cef_browser_t;
struct _cef_client_t;
struct _cef_command_line_t;
struct _cef_frame_t;
struct _cef_life_span_handler_t;
struct _cef_load_handler_t;
struct _cef_string_visitor_t;

typedef struct _cef_app_t cef_app_t;
typedef struct _cef_browser_host_t cef_browser_host_t;
typedef struct _cef_browser_process_handler_t cef_browser_process_handler_t;
typedef struct _cef_browser_t cef_browser_t;
typedef struct _cef_client_t cef_client_t;
typedef struct _cef_command_line_t cef_command_line_t;
typedef struct _cef_frame_t cef_frame_t;
typedef struct _cef_life_span_handler_t cef_life_span_handler_t;
typedef struct _cef_load_handler_t cef_load_handler_t;
typedef struct _cef_string_visitor_t cef_string_visitor_t;

typedef struct _cef_base_ref_counted_t {
    size_t size;
    void(CEF_CALLBACK* add_ref)(struct _cef_base_ref_counted_t* self);
    int(CEF_CALLBACK* release)(struct _cef_base_ref_counted_t* self);
    int(CEF_CALLBACK* has_one_ref)(struct _cef_base_ref_counted_t* self);
    int(CEF_CALLBACK* has_at_least_one_ref)(struct _cef_base_ref_counted_t* self);
} cef_base_ref_counted_t;

// ---- Application and browser-process handler (implemented by the program) ------------------

struct _cef_app_t {
    cef_base_ref_counted_t base;
    void(CEF_CALLBACK* on_before_command_line_processing)(cef_app_t* self,
                                                          const cef_string_t* process_type,
                                                          cef_command_line_t* command_line);
    void(CEF_CALLBACK* on_register_custom_schemes)(cef_app_t* self,
                                                   cef_scheme_registrar_t* registrar);
    cef_resource_bundle_handler_t*(CEF_CALLBACK* get_resource_bundle_handler)(cef_app_t* self);
    cef_browser_process_handler_t*(CEF_CALLBACK* get_browser_process_handler)(cef_app_t* self);
    cef_render_process_handler_t*(CEF_CALLBACK* get_render_process_handler)(cef_app_t* self);
};

struct _cef_browser_process_handler_t {
    cef_base_ref_counted_t base;
    void(CEF_CALLBACK* on_context_initialized)(cef_browser_process_handler_t* self);
    void(CEF_CALLBACK* on_before_child_process_launch)(cef_browser_process_handler_t* self,
                                                       cef_command_line_t* command_line);
    void(CEF_CALLBACK* on_render_process_thread_created)(cef_browser_process_handler_t* self,
                                                         cef_list_value_t* extra_info);
    cef_print_handler_t*(CEF_CALLBACK* get_print_handler)(cef_browser_process_handler_t* self);
    void(CEF_CALLBACK* on_schedule_message_pump_work)(cef_browser_process_handler_t* self,
                                                      cef_int64 delay_ms);
};

// ---- Command line (implemented by the engine) ----------------------------------------------

struct _cef_command_line_t {
    cef_base_ref_counted_t base;
    int(CEF_CALLBACK* is_valid)(cef_command_line_t* self);
    int(CEF_CALLBACK* is_read_only)(cef_command_line_t* self);
    cef_command_line_t*(CEF_CALLBACK* copy)(cef_command_line_t* self);
    void(CEF_CALLBACK* init_from_argv)(cef_command_line_t* self, int argc, const char* const* argv);
    void(CEF_CALLBACK* init_from_string)(cef_command_line_t* self,
                                         const cef_string_t* command_line);
    void(CEF_CALLBACK* reset)(cef_command_line_t* self);
    void(CEF_CALLBACK* get_argv)(cef_command_line_t* self, cef_string_list_t argv);
    cef_string_userfree_t(CEF_CALLBACK* get_command_line_string)(cef_command_line_t* self);
    cef_string_userfree_t(CEF_CALLBACK* get_program)(cef_command_line_t* self);
    void(CEF_CALLBACK* set_program)(cef_command_line_t* self, const cef_string_t* program);
    int(CEF_CALLBACK* has_switches)(cef_command_line_t* self);
    int(CEF_CALLBACK* has_switch)(cef_command_line_t* self, const cef_string_t* name);
    cef_string_userfree_t(CEF_CALLBACK* get_switch_value)(cef_command_line_t* self,
                                                          const cef_string_t* name);
    void(CEF_CALLBACK* get_switches)(cef_command_line_t* self, cef_string_map_t switches);
    void(CEF_CALLBACK* append_switch)(cef_command_line_t* self, const cef_string_t* name);
    void(CEF_CALLBACK* append_switch_with_value)(cef_command_line_t* self, const cef_string_t* name,
                                                 const cef_string_t* value);
    int(CEF_CALLBACK* has_arguments)(cef_command_line_t* self);
    void(CEF_CALLBACK* get_arguments)(cef_command_line_t* self, cef_string_list_t arguments);
    void(CEF_CALLBACK* append_argument)(cef_command_line_t* self, const cef_string_t* argument);
    void(CEF_CALLBACK* prepend_wrapper)(cef_command_line_t* self, const cef_string_t* wrapper);
};

// ---- Client and its handlers (implemented by the program) ----------------------------------

struct _cef_client_t {
    cef_base_ref_counted_t base;
    cef_context_menu_handler_t*(CEF_CALLBACK* get_context_menu_handler)(cef_client_t* self);
    cef_dialog_handler_t*(CEF_CALLBACK* get_dialog_handler)(cef_client_t* self);
    cef_display_handler_t*(CEF_CALLBACK* get_display_handler)(cef_client_t* self);
    cef_download_handler_t*(CEF_CALLBACK* get_download_handler)(cef_client_t* self);
    cef_drag_handler_t*(CEF_CALLBACK* get_drag_handler)(cef_client_t* self);
    cef_find_handler_t*(CEF_CALLBACK* get_find_handler)(cef_client_t* self);
    cef_focus_handler_t*(CEF_CALLBACK* get_focus_handler)(cef_client_t* self);
    cef_jsdialog_handler_t*(CEF_CALLBACK* get_jsdialog_handler)(cef_client_t* self);
    cef_keyboard_handler_t*(CEF_CALLBACK* get_keyboard_handler)(cef_client_t* self);
    cef_life_span_handler_t*(CEF_CALLBACK* get_life_span_handler)(cef_client_t* self);
    cef_load_handler_t*(CEF_CALLBACK* get_load_handler)(cef_client_t* self);
    cef_render_handler_t*(CEF_CALLBACK* get_render_handler)(cef_client_t* self);
    cef_request_handler_t*(CEF_CALLBACK* get_request_handler)(cef_client_t* self);
    int(CEF_CALLBACK* on_process_message_received)(cef_client_t* self, cef_browser_t* browser,
                                                   cef_frame_t* frame,
                                                   cef_process_id_t source_process,
                                                   cef_process_message_t* message);
};

struct _cef_life_span_handler_t {
    cef_base_ref_counted_t base;
    int(CEF_CALLBACK* on_before_popup)(cef_life_span_handler_t* self, cef_browser_t* browser,
                                       cef_frame_t* frame, const cef_string_t* target_url,
                                       const cef_string_t* target_frame_name,
                                       cef_window_open_disposition_t target_disposition,
                                       int user_gesture, const cef_popup_features_t* popupFeatures,
                                       cef_window_info_t* windowInfo, cef_client_t** client,
                                       cef_browser_settings_t* settings,
                                       cef_dictionary_value_t** extra_info,
                                       int* no_javascript_access);
    void(CEF_CALLBACK* on_after_created)(cef_life_span_handler_t* self, cef_browser_t* browser);
    int(CEF_CALLBACK* do_close)(cef_life_span_handler_t* self, cef_browser_t* browser);
    void(CEF_CALLBACK* on_before_close)(cef_life_span_handler_t* self, cef_browser_t* browser);
};

struct _cef_load_handler_t {
    cef_base_ref_counted_t base;
    void(CEF_CALLBACK* on_loading_state_change)(cef_load_handler_t* self, cef_browser_t* browser,
                                                int isLoading, int canGoBack, int canGoForward);
    void(CEF_CALLBACK* on_load_start)(cef_load_handler_t* self, cef_browser_t* browser,
                                      cef_frame_t* frame, cef_transition_type_t transition_type);
    void(CEF_CALLBACK* on_load_end)(cef_load_handler_t* self, cef_browser_t* browser,
                                    cef_frame_t* frame, int httpStatusCode);
    void(CEF_CALLBACK* on_load_error)(cef_load_handler_t* self, cef_browser_t* browser,
                                      cef_frame_t* frame, cef_errorcode_t errorCode,
                                      const cef_string_t* errorText, const cef_string_t* failedUrl);
};

struct _cef_string_visitor_t {
    cef_base_ref_counted_t base;
    void(CEF_CALLBACK* visit)(cef_string_visitor_t* self, const cef_string_t* string);
};

// ---- Browser, its host and its frames (implemented by the engine) ----------------------------

struct _cef_browser_t {
    cef_base_ref_counted_t base;
    cef_browser_host_t*(CEF_CALLBACK* get_host)(cef_browser_t* self);
    int(CEF_CALLBACK* can_go_back)(cef_browser_t* self);
    void(CEF_CALLBACK* go_back)(cef_browser_t* self);
    int(CEF_CALLBACK* can_go_forward)(cef_browser_t* self);
    void(CEF_CALLBACK* go_forward)(cef_browser_t* self);
    int(CEF_CALLBACK* is_loading)(cef_browser_t* self);
    void(CEF_CALLBACK* reload)(cef_browser_t* self);
    void(CEF_CALLBACK* reload_ignore_cache)(cef_browser_t* self);
    void(CEF_CALLBACK* stop_load)(cef_browser_t* self);
    int(CEF_CALLBACK* get_identifier)(cef_browser_t* self);
    int(CEF_CALLBACK* is_same)(cef_browser_t* self, cef_browser_t* that);
    int(CEF_CALLBACK* is_popup)(cef_browser_t* self);
    int(CEF_CALLBACK* has_document)(cef_browser_t* self);
    cef_frame_t*(CEF_CALLBACK* get_main_frame)(cef_browser_t* self);
    cef_frame_t*(CEF_CALLBACK* get_focused_frame)(cef_browser_t* self);
    cef_frame_t*(CEF_CALLBACK* get_frame_byident)(cef_browser_t* self, cef_int64 identifier);
    cef_frame_t*(CEF_CALLBACK* get_frame)(cef_browser_t* self, const cef_string_t* name);
    size_t(CEF_CALLBACK* get_frame_count)(cef_browser_t* self);
    void(CEF_CALLBACK* get_frame_identifiers)(cef_browser_t* self, size_t* identifiersCount,
                                              cef_int64* identifiers);
    void(CEF_CALLBACK* get_frame_names)(cef_browser_t* self, cef_string_list_t names);
};

struct _cef_browser_host_t {
    cef_base_ref_counted_t base;
    cef_browser_t*(CEF_CALLBACK* get_browser)(cef_browser_host_t* self);
    void(CEF_CALLBACK* close_browser)(cef_browser_host_t* self, int force_close);
    int(CEF_CALLBACK* try_close_browser)(cef_browser_host_t* self);
    void(CEF_CALLBACK* set_focus)(cef_browser_host_t* self, int focus);
    cef_window_handle_t(CEF_CALLBACK* get_window_handle)(cef_browser_host_t* self);
    cef_window_handle_t(CEF_CALLBACK* get_opener_window_handle)(cef_browser_host_t* self);
    int(CEF_CALLBACK* has_view)(cef_browser_host_t* self);
    cef_client_t*(CEF_CALLBACK* get_client)(cef_browser_host_t* self);
    cef_request_context_t*(CEF_CALLBACK* get_request_context)(cef_browser_host_t* self);
    double(CEF_CALLBACK* get_zoom_level)(cef_browser_host_t* self);
    void(CEF_CALLBACK* set_zoom_level)(cef_browser_host_t* self, double zoomLevel);
    void(CEF_CALLBACK* run_file_dialog)(cef_browser_host_t* self, cef_file_dialog_mode_t mode,
                                        const cef_string_t* title,
                                        const cef_string_t* default_file_path,
                                        cef_string_list_t accept_filters,
                                        int selected_accept_filter,
                                        cef_run_file_dialog_callback_t* callback);
    void(CEF_CALLBACK* start_download)(cef_browser_host_t* self, const cef_string_t* url);
    void(CEF_CALLBACK* download_image)(cef_browser_host_t* self, const cef_string_t* image_url,
                                       int is_favicon, cef_uint32 max_image_size, int bypass_cache,
                                       cef_download_image_callback_t* callback);
    void(CEF_CALLBACK* print)(cef_browser_host_t* self);
    void(CEF_CALLBACK* print_to_pdf)(cef_browser_host_t* self, const cef_string_t* path,
                                     const cef_pdf_print_settings_t* settings,
                                     cef_pdf_print_callback_t* callback);
    void(CEF_CALLBACK* find)(cef_browser_host_t* self, int identifier,
                             const cef_string_t* searchText, int forward, int matchCase,
                             int findNext);
    void(CEF_CALLBACK* stop_finding)(cef_browser_host_t* self, int clearSelection);
    void(CEF_CALLBACK* show_dev_tools)(cef_browser_host_t* self,
                                       const cef_window_info_t* windowInfo, cef_client_t* client,
                                       const cef_browser_settings_t* settings,
                                       const cef_point_t* inspect_element_at);
    void(CEF_CALLBACK* close_dev_tools)(cef_browser_host_t* self);
    int(CEF_CALLBACK* has_dev_tools)(cef_browser_host_t* self);
    void(CEF_CALLBACK* get_navigation_entries)(cef_browser_host_t* self,
                                               cef_navigation_entry_visitor_t* visitor,
                                               int current_only);
    void(CEF_CALLBACK* set_mouse_cursor_change_disabled)(cef_browser_host_t* self, int disabled);
    int(CEF_CALLBACK* is_mouse_cursor_change_disabled)(cef_browser_host_t* self);
    void(CEF_CALLBACK* replace_misspelling)(cef_browser_host_t* self, const cef_string_t* word);
    void(CEF_CALLBACK* add_word_to_dictionary)(cef_browser_host_t* self, const cef_string_t* word);
    int(CEF_CALLBACK* is_window_rendering_disabled)(cef_browser_host_t* self);
    void(CEF_CALLBACK* was_resized)(cef_browser_host_t* self);
    void(CEF_CALLBACK* was_hidden)(cef_browser_host_t* self, int hidden);
    void(CEF_CALLBACK* notify_screen_info_changed)(cef_browser_host_t* self);
    void(CEF_CALLBACK* invalidate)(cef_browser_host_t* self, cef_paint_element_type_t type);
    void(CEF_CALLBACK* send_external_begin_frame)(cef_browser_host_t* self);
    void(CEF_CALLBACK* send_key_event)(cef_browser_host_t* self, const cef_key_event_t* event);
    void(CEF_CALLBACK* send_mouse_click_event)(cef_browser_host_t* self,
                                               const cef_mouse_event_t* event,
                                               cef_mouse_button_type_t type, int mouseUp,
                                               int clickCount);
    void(CEF_CALLBACK* send_mouse_move_event)(cef_browser_host_t* self,
                                              const cef_mouse_event_t* event, int mouseLeave);
    void(CEF_CALLBACK* send_mouse_wheel_event)(cef_browser_host_t* self,
                                               const cef_mouse_event_t* event, int deltaX,
                                               int deltaY);
    void(CEF_CALLBACK* send_touch_event)(cef_browser_host_t* self, const cef_touch_event_t* event);
    void(CEF_CALLBACK* send_focus_event)(cef_browser_host_t* self, int setFocus);
    void(CEF_CALLBACK* send_capture_lost_event)(cef_browser_host_t* self);
    void(CEF_CALLBACK* notify_move_or_resize_started)(cef_browser_host_t* self);
    int(CEF_CALLBACK* get_windowless_frame_rate)(cef_browser_host_t* self);
    void(CEF_CALLBACK* set_windowless_frame_rate)(cef_browser_host_t* self, int frame_rate);
    void(CEF_CALLBACK* ime_set_composition)(cef_browser_host_t* self, const cef_string_t* text,
                                            size_t underlinesCount,
                                            cef_composition_underline_t const* underlines,
                                            const cef_range_t* replacement_range,
                                            const cef_range_t* selection_range);
    void(CEF_CALLBACK* ime_commit_text)(cef_browser_host_t* self, const cef_string_t* text,
                                        const cef_range_t* replacement_range,
                                        int relative_cursor_pos);
    void(CEF_CALLBACK* ime_finish_composing_text)(cef_browser_host_t* self, int keep_selection);
    void(CEF_CALLBACK* ime_cancel_composition)(cef_browser_host_t* self);
    void(CEF_CALLBACK* drag_target_drag_enter)(cef_browser_host_t* self, cef_drag_data_t* drag_data,
                                               const cef_mouse_event_t* event,
                                               cef_drag_operations_mask_t allowed_ops);
    void(CEF_CALLBACK* drag_target_drag_over)(cef_browser_host_t* self,
                                              const cef_mouse_event_t* event,
                                              cef_drag_operations_mask_t allowed_ops);
    void(CEF_CALLBACK* drag_target_drag_leave)(cef_browser_host_t* self);
    void(CEF_CALLBACK* drag_target_drop)(cef_browser_host_t* self, const cef_mouse_event_t* event);
    void(CEF_CALLBACK* drag_source_ended_at)(cef_browser_host_t* self, int x, int y,
                                             cef_drag_operations_mask_t op);
    void(CEF_CALLBACK* drag_source_system_drag_ended)(cef_browser_host_t* self);
    cef_navigation_entry_t*(CEF_CALLBACK* get_visible_navigation_entry)(cef_browser_host_t* self);
    void(CEF_CALLBACK* set_accessibility_state)(cef_browser_host_t* self,
                                                cef_state_t accessibility_state);
    void(CEF_CALLBACK* set_auto_resize_enabled)(cef_browser_host_t* self, int enabled,
                                                const cef_size_t* min_size,
                                                const cef_size_t* max_size);
    cef_extension_t*(CEF_CALLBACK* get_extension)(cef_browser_host_t* self);
    int(CEF_CALLBACK* is_background_host)(cef_browser_host_t* self);
    void(CEF_CALLBACK* set_audio_muted)(cef_browser_host_t* self, int mute);
    int(CEF_CALLBACK* is_audio_muted)(cef_browser_host_t* self);
};

struct _cef_frame_t {
    cef_base_ref_counted_t base;
    int(CEF_CALLBACK* is_valid)(cef_frame_t* self);
    void(CEF_CALLBACK* undo)(cef_frame_t* self);
    void(CEF_CALLBACK* redo)(cef_frame_t* self);
    void(CEF_CALLBACK* cut)(cef_frame_t* self);
    void(CEF_CALLBACK* copy)(cef_frame_t* self);
    void(CEF_CALLBACK* paste)(cef_frame_t* self);
    void(CEF_CALLBACK* del)(cef_frame_t* self);
    void(CEF_CALLBACK* select_all)(cef_frame_t* self);
    void(CEF_CALLBACK* view_source)(cef_frame_t* self);
    void(CEF_CALLBACK* get_source)(cef_frame_t* self, cef_string_visitor_t* visitor);
    void(CEF_CALLBACK* get_text)(cef_frame_t* self, cef_string_visitor_t* visitor);
    void(CEF_CALLBACK* load_request)(cef_frame_t* self, cef_request_t* request);
    void(CEF_CALLBACK* load_url)(cef_frame_t* self, const cef_string_t* url);
    void(CEF_CALLBACK* execute_java_script)(cef_frame_t* self, const cef_string_t* code,
                                            const cef_string_t* script_url, int start_line);
    int(CEF_CALLBACK* is_main)(cef_frame_t* self);
    int(CEF_CALLBACK* is_focused)(cef_frame_t* self);
    cef_string_userfree_t(CEF_CALLBACK* get_name)(cef_frame_t* self);
    cef_int64(CEF_CALLBACK* get_identifier)(cef_frame_t* self);
    cef_frame_t*(CEF_CALLBACK* get_parent)(cef_frame_t* self);
    cef_string_userfree_t(CEF_CALLBACK* get_url)(cef_frame_t* self);
    cef_browser_t*(CEF_CALLBACK* get_browser)(cef_frame_t* self);
    cef_v8context_t*(CEF_CALLBACK* get_v8context)(cef_frame_t* self);
    void(CEF_CALLBACK* visit_dom)(cef_frame_t* self, cef_domvisitor_t* visitor);
    cef_urlrequest_t*(CEF_CALLBACK* create_urlrequest)(cef_frame_t* self, cef_request_t* request,
                                                       cef_urlrequest_client_t* client);
    void(CEF_CALLBACK* send_process_message)(cef_frame_t* self, cef_process_id_t target_process,
                                             cef_process_message_t* message);
};

}  // extern "C"
