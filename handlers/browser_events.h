// The events of one browser as the host control hands them to the browser window. The
// set is fixed when the client is made and not changed afterwards, so the engine's
// threads read it without a lock.
#pragma once

#include <functional>
#include <string>

#include "engine/cef_capi.h"
#include "engine/held_reference.h"

namespace quillmoor {

// A page's request for a new browser window, as the engine asks about it.
struct PopupRequest {
    std::u16string target_url;
    std::u16string target_frame_name;
    cef_window_open_disposition_t target_disposition = WOD_UNKNOWN;
    bool user_gesture = false;
};

struct BrowserEvents {
    // ---- Called on the engine's UI thread, directly ----
    // A frame's load ended (the main frame or any sub-frame).
    std::function<void(cef_browser_t* browser, cef_frame_t* frame, int http_status_code)>
        on_load_end;
    // The markup asked for with a string visitor arrived.
    std::function<void(const std::u16string& text)> on_text_result_available;
    // The page asks for a new window; true cancels it.
    std::function<bool(const PopupRequest& request)> on_before_popup;
    // A browser is about to be destroyed.
    std::function<void(cef_browser_t* browser)> on_before_close;

    // ---- Called on the engine's UI thread; each posts a notice to the GUI thread ----
    // The engine reports a browser created.
    std::function<void(HeldReference<cef_browser_t> browser)> hand_over_after_created;
    // The engine asks whether a browser may close; the client answers true (it takes care
    // of the close itself) when this is set.
    std::function<void(HeldReference<cef_browser_t> browser)> hand_over_close;
    // A browser has gone (after on_before_close).
    std::function<void(int browser_identifier)> hand_over_closed;
};

}  // namespace quillmoor
