#include "handlers/load_handler.h"

namespace quillmoor {

LoadHandler::LoadHandler(std::shared_ptr<const BrowserEvents> events) : events_(std::move(events)) {
    Table().on_loading_state_change = &OnLoadingStateChange;
    Table().on_load_start = &OnLoadStart;
    Table().on_load_end = &OnLoadEnd;
    Table().on_load_error = &OnLoadError;
}

void CEF_CALLBACK LoadHandler::OnLoadingStateChange(cef_load_handler_t* /*self*/,
                                                    cef_browser_t* browser, int /*is_loading*/,
                                                    int /*can_go_back*/, int /*can_go_forward*/) {
    ReleaseEngineReference(browser);
}

void CEF_CALLBACK LoadHandler::OnLoadStart(cef_load_handler_t* /*self*/, cef_browser_t* browser,
                                           cef_frame_t* frame,
                                           cef_transition_type_t /*transition*/) {
    ReleaseEngineReference(frame);
    ReleaseEngineReference(browser);
}

void CEF_CALLBACK LoadHandler::OnLoadEnd(cef_load_handler_t* self, cef_browser_t* browser,
                                         cef_frame_t* frame, int http_status_code) {
    const HeldReference<cef_browser_t> held_browser = HeldReference<cef_browser_t>::Adopt(browser);
    const HeldReference<cef_frame_t> held_frame = HeldReference<cef_frame_t>::Adopt(frame);
    const BrowserEvents& events = *Self<LoadHandler>(self)->events_;
    if (events.on_load_end) {
        events.on_load_end(browser, frame, http_status_code);
    }
}

// Failed loads are not reported: only load ends count.
void CEF_CALLBACK LoadHandler::OnLoadError(cef_load_handler_t* /*self*/, cef_browser_t* browser,
                                           cef_frame_t* frame, cef_errorcode_t /*error_code*/,
                                           const cef_string_t* /*error_text*/,
                                           const cef_string_t* /*failed_url*/) {
    ReleaseEngineReference(frame);
    ReleaseEngineReference(browser);
}

}  // namespace quillmoor
