// The client's life-span handler: new-window requests, a browser created, the question
// whether a browser may close, and its end. Called by the engine on its UI thread.
#pragma once

#include <memory>

#include "engine/engine_object.h"
#include "handlers/browser_events.h"

namespace quillmoor {

class LifeSpanHandler : public EngineObject<cef_life_span_handler_t> {
  public:
    explicit LifeSpanHandler(std::shared_ptr<const BrowserEvents> events);

  private:
    static int CEF_CALLBACK
    OnBeforePopup(cef_life_span_handler_t* self, cef_browser_t* browser, cef_frame_t* frame,
                  const cef_string_t* target_url, const cef_string_t* target_frame_name,
                  cef_window_open_disposition_t target_disposition, int user_gesture,
                  const cef_popup_features_t* popup_features, cef_window_info_t* window_info,
                  cef_client_t** client, cef_browser_settings_t* settings,
                  cef_dictionary_value_t** extra_info, int* no_javascript_access);
    static void CEF_CALLBACK OnAfterCreated(cef_life_span_handler_t* self, cef_browser_t* browser);
    static int CEF_CALLBACK DoClose(cef_life_span_handler_t* self, cef_browser_t* browser);
    static void CEF_CALLBACK OnBeforeClose(cef_life_span_handler_t* self, cef_browser_t* browser);

    const std::shared_ptr<const BrowserEvents> events_;  // read-only, any thread
};

}  // namespace quillmoor
