// The client of the program's browser: hands the engine the life-span handler always and
// the load handler only when a load end has somebody to hear it.
#pragma once

#include <memory>

#include "engine/engine_object.h"
#include "handlers/browser_events.h"
#include "handlers/life_span_handler.h"
#include "handlers/load_handler.h"

namespace quillmoor {

class BrowserClient : public EngineObject<cef_client_t> {
  public:
    explicit BrowserClient(std::shared_ptr<const BrowserEvents> events);

  private:
    static cef_life_span_handler_t* CEF_CALLBACK GetLifeSpanHandler(cef_client_t* self);
    static cef_load_handler_t* CEF_CALLBACK GetLoadHandler(cef_client_t* self);
    static int CEF_CALLBACK OnProcessMessageReceived(cef_client_t* self, cef_browser_t* browser,
                                                     cef_frame_t* frame,
                                                     cef_process_id_t source_process,
                                                     cef_process_message_t* message);

    // Made with the client, never changed: read by any thread.
    const EngineObjectPtr<LifeSpanHandler> life_span_handler_;
    const EngineObjectPtr<LoadHandler> load_handler_;  // null without a load-end handler
};

}  // namespace quillmoor
