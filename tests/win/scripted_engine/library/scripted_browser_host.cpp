#include "tests/win/scripted_engine/library/scripted_browser_host.h"

#include <utility>

#include "tests/win/scripted_engine/library/callback.h"

namespace quillmoor::scripted_engine {

// ---- BrowserHost ------------------------------------------------------------------------------

BrowserHost::BrowserHost(EngineObjectPtr<Browser> browser) : browser_(std::move(browser)) {
    FillTable();
}

BrowserHost::~BrowserHost() = default;

void BrowserHost::FillTable() {
    cef_browser_host_t& t = Table();
    t.get_browser = [](cef_browser_host_t* self) SCRIPTED_CALLBACK {
        return Self<BrowserHost>(self)->browser_->NewReference();
    };
    t.close_browser = [](cef_browser_host_t* self, int /*force_close*/)
                          SCRIPTED_CALLBACK { Self<BrowserHost>(self)->browser_->PostClose(); };
    t.try_close_browser = [](cef_browser_host_t* self) SCRIPTED_CALLBACK {
        const EngineObjectPtr<Browser>& browser = Self<BrowserHost>(self)->browser_;
        if (!browser->IsValid()) {
            return 1;
        }
        browser->PostClose();
        return 0;
    };
    t.get_client = [](cef_browser_host_t* self) SCRIPTED_CALLBACK {
        return Self<BrowserHost>(self)->browser_->Client().NewReference();
    };

    // A browser without a window: these have nothing to act on.
    t.set_focus = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.get_window_handle = [](cef_browser_host_t*) SCRIPTED_CALLBACK -> cef_window_handle_t {
        return cef_window_handle_t{};
    };
    t.get_opener_window_handle = [](cef_browser_host_t*) SCRIPTED_CALLBACK -> cef_window_handle_t {
        return cef_window_handle_t{};
    };
    t.has_view = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0; };
    t.get_request_context = [](cef_browser_host_t*)
                                SCRIPTED_CALLBACK -> cef_request_context_t* { return nullptr; };
    t.get_zoom_level = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0.0; };
    t.set_zoom_level = [](cef_browser_host_t*, double) SCRIPTED_CALLBACK {};
    t.run_file_dialog = [](cef_browser_host_t*, cef_file_dialog_mode_t, const cef_string_t*,
                           const cef_string_t*, cef_string_list_t, int,
                           cef_run_file_dialog_callback_t* callback)
                            SCRIPTED_CALLBACK { ReleaseEngineReference(callback); };
    t.start_download = [](cef_browser_host_t*, const cef_string_t*) SCRIPTED_CALLBACK {};
    t.download_image = [](cef_browser_host_t*, const cef_string_t*, int, cef_uint32, int,
                          cef_download_image_callback_t* callback)
                           SCRIPTED_CALLBACK { ReleaseEngineReference(callback); };
    t.print = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.print_to_pdf = [](cef_browser_host_t*, const cef_string_t*, const cef_pdf_print_settings_t*,
                        cef_pdf_print_callback_t* callback)
                         SCRIPTED_CALLBACK { ReleaseEngineReference(callback); };
    t.find = [](cef_browser_host_t*, int, const cef_string_t*, int, int, int) SCRIPTED_CALLBACK {};
    t.stop_finding = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.show_dev_tools = [](cef_browser_host_t*, const cef_window_info_t*, cef_client_t* client,
                          const cef_browser_settings_t*, const cef_point_t*)
                           SCRIPTED_CALLBACK { ReleaseEngineReference(client); };
    t.close_dev_tools = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.has_dev_tools = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0; };
    t.get_navigation_entries = [](cef_browser_host_t*, cef_navigation_entry_visitor_t* visitor, int)
                                   SCRIPTED_CALLBACK { ReleaseEngineReference(visitor); };
    t.set_mouse_cursor_change_disabled = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.is_mouse_cursor_change_disabled = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0; };
    t.replace_misspelling = [](cef_browser_host_t*, const cef_string_t*) SCRIPTED_CALLBACK {};
    t.add_word_to_dictionary = [](cef_browser_host_t*, const cef_string_t*) SCRIPTED_CALLBACK {};
    t.is_window_rendering_disabled = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0; };
    t.was_resized = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.was_hidden = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.notify_screen_info_changed = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.invalidate = [](cef_browser_host_t*, cef_paint_element_type_t) SCRIPTED_CALLBACK {};
    t.send_external_begin_frame = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.send_key_event = [](cef_browser_host_t*, const cef_key_event_t*) SCRIPTED_CALLBACK {};
    t.send_mouse_click_event = [](cef_browser_host_t*, const cef_mouse_event_t*,
                                  cef_mouse_button_type_t, int, int) SCRIPTED_CALLBACK {};
    t.send_mouse_move_event = [](cef_browser_host_t*, const cef_mouse_event_t*, int)
                                  SCRIPTED_CALLBACK {};
    t.send_mouse_wheel_event = [](cef_browser_host_t*, const cef_mouse_event_t*, int, int)
                                   SCRIPTED_CALLBACK {};
    t.send_touch_event = [](cef_browser_host_t*, const cef_touch_event_t*) SCRIPTED_CALLBACK {};
    t.send_focus_event = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.send_capture_lost_event = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.notify_move_or_resize_started = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.get_windowless_frame_rate = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0; };
    t.set_windowless_frame_rate = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.ime_set_composition = [](cef_browser_host_t*, const cef_string_t*, size_t,
                               cef_composition_underline_t const*, const cef_range_t*,
                               const cef_range_t*) SCRIPTED_CALLBACK {};
    t.ime_commit_text = [](cef_browser_host_t*, const cef_string_t*, const cef_range_t*, int)
                            SCRIPTED_CALLBACK {};
    t.ime_finish_composing_text = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.ime_cancel_composition = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.drag_target_drag_enter = [](cef_browser_host_t*, cef_drag_data_t* drag_data,
                                  const cef_mouse_event_t*, cef_drag_operations_mask_t)
                                   SCRIPTED_CALLBACK { ReleaseEngineReference(drag_data); };
    t.drag_target_drag_over = [](cef_browser_host_t*, const cef_mouse_event_t*,
                                 cef_drag_operations_mask_t) SCRIPTED_CALLBACK {};
    t.drag_target_drag_leave = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.drag_target_drop = [](cef_browser_host_t*, const cef_mouse_event_t*) SCRIPTED_CALLBACK {};
    t.drag_source_ended_at = [](cef_browser_host_t*, int, int, cef_drag_operations_mask_t)
                                 SCRIPTED_CALLBACK {};
    t.drag_source_system_drag_ended = [](cef_browser_host_t*) SCRIPTED_CALLBACK {};
    t.get_visible_navigation_entry =
        [](cef_browser_host_t*) SCRIPTED_CALLBACK -> cef_navigation_entry_t* { return nullptr; };
    t.set_accessibility_state = [](cef_browser_host_t*, cef_state_t) SCRIPTED_CALLBACK {};
    t.set_auto_resize_enabled = [](cef_browser_host_t*, int, const cef_size_t*, const cef_size_t*)
                                    SCRIPTED_CALLBACK {};
    t.get_extension = [](cef_browser_host_t*)
                          SCRIPTED_CALLBACK -> cef_extension_t* { return nullptr; };
    t.is_background_host = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 0; };
    t.set_audio_muted = [](cef_browser_host_t*, int) SCRIPTED_CALLBACK {};
    t.is_audio_muted = [](cef_browser_host_t*) SCRIPTED_CALLBACK { return 1; };
}

}  // namespace quillmoor::scripted_engine
