// The client's load handler: passes every frame's load end on. Called by the engine on its
// UI thread.
#pragma once

#include <memory>

#include "engine/engine_object.h"
#include "handlers/browser_events.h"

namespace quillmoor {

class LoadHandler : public EngineObject<cef_load_handler_t> {
  public:
    explicit LoadHandler(std::shared_ptr<const BrowserEvents> events);

  private:
    static void CEF_CALLBACK OnLoadingStateChange(cef_load_handler_t* self, cef_browser_t* browser,
                                                  int is_loading, int can_go_back,
                                                  int can_go_forward);
    static void CEF_CALLBACK OnLoadStart(cef_load_handler_t* self, cef_browser_t* browser,
                                         cef_frame_t* frame, cef_transition_type_t transition);
    static void CEF_CALLBACK OnLoadEnd(cef_load_handler_t* self, cef_browser_t* browser,
                                       cef_frame_t* frame, int http_status_code);
    static void CEF_CALLBACK OnLoadError(cef_load_handler_t* self, cef_browser_t* browser,
                                         cef_frame_t* frame, cef_errorcode_t error_code,
                                         const cef_string_t* error_text,
                                         const cef_string_t* failed_url);

    const std::shared_ptr<const BrowserEvents> events_;  // read-only, any thread
};

}  // namespace quillmoor
