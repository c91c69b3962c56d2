#include "handlers/browser_client.h"

namespace quillmoor {

BrowserClient::BrowserClient(std::shared_ptr<const BrowserEvents> events)
    : life_span_handler_(EngineObjectPtr<LifeSpanHandler>::Make(events)),
      load_handler_(events->on_load_end ? EngineObjectPtr<LoadHandler>::Make(events)
                                        : EngineObjectPtr<LoadHandler>()) {
    Table().get_life_span_handler = &GetLifeSpanHandler;
    Table().get_load_handler = &GetLoadHandler;
    Table().on_process_message_received = &OnProcessMessageReceived;
}

cef_life_span_handler_t* CEF_CALLBACK BrowserClient::GetLifeSpanHandler(cef_client_t* self) {
    return Self<BrowserClient>(self)->life_span_handler_->NewReference();
}

cef_load_handler_t* CEF_CALLBACK BrowserClient::GetLoadHandler(cef_client_t* self) {
    const EngineObjectPtr<LoadHandler>& handler = Self<BrowserClient>(self)->load_handler_;
    return handler ? handler->NewReference() : nullptr;
}

int CEF_CALLBACK BrowserClient::OnProcessMessageReceived(cef_client_t* /*self*/,
                                                         cef_browser_t* browser, cef_frame_t* frame,
                                                         cef_process_id_t /*source_process*/,
                                                         cef_process_message_t* message) {
    ReleaseEngineReference(message);
    ReleaseEngineReference(frame);
    ReleaseEngineReference(browser);
    return 0;
}

}  // namespace quillmoor
