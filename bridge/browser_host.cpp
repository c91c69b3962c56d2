#include "bridge/browser_host.h"

#include "bridge/held_reference.h"

namespace quillmoor::bridge {

BrowserHost::BrowserHost(EngineObjectPtr<Browser> browser) : browser_(std::move(browser)) {
    FillTable();
}

void BrowserHost::FillTable() {
    cef_browser_host_t& t = Table();
    t.get_browser = [](cef_browser_host_t* self) {
        return Self<BrowserHost>(self)->browser_->NewReference();
    };
    t.close_browser = [](cef_browser_host_t* self, int /*force_close*/) {
        EngineObjectPtr<Browser> browser = Self<BrowserHost>(self)->browser_;
        browser->Post([browser] { browser->Close(); });
    };
    t.try_close_browser = [](cef_browser_host_t* self) {
        EngineObjectPtr<Browser> browser = Self<BrowserHost>(self)->browser_;
        if (!browser->IsValid()) {
            return 1;
        }
        browser->Post([browser] { browser->Close(); });
        return 0;
    };
    t.get_client = [](cef_browser_host_t* self) {
        return Self<BrowserHost>(self)->browser_->Client().NewReference();
    };

    // A browser without a window: these have nothing to act on.
    t.set_focus = [](cef_browser_host_t*, int) {};
    t.get_window_handle = [](cef_browser_host_t*) -> cef_window_handle_t { return 0; };
    t.get_opener_window_handle = [](cef_browser_host_t*) -> cef_window_handle_t { return 0; };
    t.has_view = [](cef_browser_host_t*) { return 0; };
    t.get_request_context = [](cef_browser_host_t*) -> cef_request_context_t* { return nullptr; };
    t.get_zoom_level = [](cef_browser_host_t*) { return 0.0; };
    t.set_zoom_level = [](cef_browser_host_t*, double) {};
    t.run_file_dialog = [](cef_browser_host_t*, cef_file_dialog_mode_t, const cef_string_t*,
                           const cef_string_t*, cef_string_list_t, int,
                           cef_run_file_dialog_callback_t* callback) {
        ReleaseEngineReference(callback);
    };
    t.start_download = [](cef_browser_host_t*, const cef_string_t*) {};
    t.download_image = [](cef_browser_host_t*, const cef_string_t*, int, cef_uint32, int,
                          cef_download_image_callback_t* callback) {
        ReleaseEngineReference(callback);
    };
    t.print = [](cef_browser_host_t*) {};
    t.print_to_pdf = [](cef_browser_host_t*, const cef_string_t*, const cef_pdf_print_settings_t*,
                        cef_pdf_print_callback_t* callback) { ReleaseEngineReference(callback); };
    t.find = [](cef_browser_host_t*, int, const cef_string_t*, int, int, int) {};
    t.stop_finding = [](cef_browser_host_t*, int) {};
    t.show_dev_tools = [](cef_browser_host_t*, const cef_window_info_t*, cef_client_t* client,
                          const cef_browser_settings_t*,
                          const cef_point_t*) { ReleaseEngineReference(client); };
    t.close_dev_tools = [](cef_browser_host_t*) {};
    t.has_dev_tools = [](cef_browser_host_t*) { return 0; };
    t.get_navigation_entries = [](cef_browser_host_t*, cef_navigation_entry_visitor_t* visitor,
                                  int) { ReleaseEngineReference(visitor); };
    t.set_mouse_cursor_change_disabled = [](cef_browser_host_t*, int) {};
    t.is_mouse_cursor_change_disabled = [](cef_browser_host_t*) { return 0; };
    t.replace_misspelling = [](cef_browser_host_t*, const cef_string_t*) {};
    t.add_word_to_dictionary = [](cef_browser_host_t*, const cef_string_t*) {};
    t.is_window_rendering_disabled = [](cef_browser_host_t*) { return 0; };
    t.was_resized = [](cef_browser_host_t*) {};
    t.was_hidden = [](cef_browser_host_t*, int) {};
    t.notify_screen_info_changed = [](cef_browser_host_t*) {};
    t.invalidate = [](cef_browser_host_t*, cef_paint_element_type_t) {};
    t.send_external_begin_frame = [](cef_browser_host_t*) {};
    t.send_key_event = [](cef_browser_host_t*, const cef_key_event_t*) {};
    t.send_mouse_click_event = [](cef_browser_host_t*, const cef_mouse_event_t*,
                                  cef_mouse_button_type_t, int, int) {};
    t.send_mouse_move_event = [](cef_browser_host_t*, const cef_mouse_event_t*, int) {};
    t.send_mouse_wheel_event = [](cef_browser_host_t*, const cef_mouse_event_t*, int, int) {};
    t.send_touch_event = [](cef_browser_host_t*, const cef_touch_event_t*) {};
    t.send_focus_event = [](cef_browser_host_t*, int) {};
    t.send_capture_lost_event = [](cef_browser_host_t*) {};
    t.notify_move_or_resize_started = [](cef_browser_host_t*) {};
    t.get_windowless_frame_rate = [](cef_browser_host_t*) { return 0; };
    t.set_windowless_frame_rate = [](cef_browser_host_t*, int) {};
    t.ime_set_composition = [](cef_browser_host_t*, const cef_string_t*, size_t,
                               cef_composition_underline_t const*, const cef_range_t*,
                               const cef_range_t*) {};
    t.ime_commit_text = [](cef_browser_host_t*, const cef_string_t*, const cef_range_t*, int) {};
    t.ime_finish_composing_text = [](cef_browser_host_t*, int) {};
    t.ime_cancel_composition = [](cef_browser_host_t*) {};
    t.drag_target_drag_enter = [](cef_browser_host_t*, cef_drag_data_t* drag_data,
                                  const cef_mouse_event_t*, cef_drag_operations_mask_t) {
        ReleaseEngineReference(drag_data);
    };
    t.drag_target_drag_over = [](cef_browser_host_t*, const cef_mouse_event_t*,
                                 cef_drag_operations_mask_t) {};
    t.drag_target_drag_leave = [](cef_browser_host_t*) {};
    t.drag_target_drop = [](cef_browser_host_t*, const cef_mouse_event_t*) {};
    t.drag_source_ended_at = [](cef_browser_host_t*, int, int, cef_drag_operations_mask_t) {};
    t.drag_source_system_drag_ended = [](cef_browser_host_t*) {};
    t.get_visible_navigation_entry = [](cef_browser_host_t*) -> cef_navigation_entry_t* {
        return nullptr;
    };
    t.set_accessibility_state = [](cef_browser_host_t*, cef_state_t) {};
    t.set_auto_resize_enabled = [](cef_browser_host_t*, int, const cef_size_t*, const cef_size_t*) {
    };
    t.get_extension = [](cef_browser_host_t*) -> cef_extension_t* { return nullptr; };
    t.is_background_host = [](cef_browser_host_t*) { return 0; };
    t.set_audio_muted = [](cef_browser_host_t*, int) {};  // Chromium runs muted
    t.is_audio_muted = [](cef_browser_host_t*) { return 1; };
}

}  // namespace quillmoor::bridge
