#include "handlers/life_span_handler.h"

#include "engine/engine_string.h"

namespace quillmoor {

LifeSpanHandler::LifeSpanHandler(std::shared_ptr<const BrowserEvents> events)
    : events_(std::move(events)) {
    Table().on_before_popup = &OnBeforePopup;
    Table().on_after_created = &OnAfterCreated;
    Table().do_close = &DoClose;
    Table().on_before_close = &OnBeforeClose;
}

int CEF_CALLBACK LifeSpanHandler::OnBeforePopup(
    cef_life_span_handler_t* self, cef_browser_t* browser, cef_frame_t* frame,
    const cef_string_t* target_url, const cef_string_t* target_frame_name,
    cef_window_open_disposition_t target_disposition, int user_gesture,
    const cef_popup_features_t* /*popup_features*/, cef_window_info_t* /*window_info*/,
    cef_client_t** /*client*/, cef_browser_settings_t* /*settings*/,
    cef_dictionary_value_t** /*extra_info*/, int* /*no_javascript_access*/) {
    const HeldReference<cef_browser_t> held_browser = HeldReference<cef_browser_t>::Adopt(browser);
    const HeldReference<cef_frame_t> held_frame = HeldReference<cef_frame_t>::Adopt(frame);
    const BrowserEvents& events = *Self<LifeSpanHandler>(self)->events_;
    if (!events.on_before_popup) {
        return 0;
    }
    PopupRequest request;
    request.target_url = FromEngineString(target_url);
    request.target_frame_name = FromEngineString(target_frame_name);
    request.target_disposition = target_disposition;
    request.user_gesture = user_gesture != 0;
    return events.on_before_popup(request) ? 1 : 0;
}

void CEF_CALLBACK LifeSpanHandler::OnAfterCreated(cef_life_span_handler_t* self,
                                                  cef_browser_t* browser) {
    HeldReference<cef_browser_t> held = HeldReference<cef_browser_t>::Adopt(browser);
    const BrowserEvents& events = *Self<LifeSpanHandler>(self)->events_;
    if (events.hand_over_after_created) {
        events.hand_over_after_created(std::move(held));
    }
}

int CEF_CALLBACK LifeSpanHandler::DoClose(cef_life_span_handler_t* self, cef_browser_t* browser) {
    HeldReference<cef_browser_t> held = HeldReference<cef_browser_t>::Adopt(browser);
    const BrowserEvents& events = *Self<LifeSpanHandler>(self)->events_;
    if (!events.hand_over_close) {
        return 0;  // the engine closes the browser the standard way
    }
    events.hand_over_close(std::move(held));
    return 1;
}

void CEF_CALLBACK LifeSpanHandler::OnBeforeClose(cef_life_span_handler_t* self,
                                                 cef_browser_t* browser) {
    const HeldReference<cef_browser_t> held = HeldReference<cef_browser_t>::Adopt(browser);
    const BrowserEvents& events = *Self<LifeSpanHandler>(self)->events_;
    if (events.on_before_close) {
        events.on_before_close(browser);
    }
    if (events.hand_over_closed && browser != nullptr) {
        events.hand_over_closed(browser->get_identifier(browser));
    }
}

}  // namespace quillmoor
