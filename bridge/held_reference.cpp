#include "bridge/held_reference.h"

namespace quillmoor::bridge {

HeldReference<cef_life_span_handler_t> LifeSpanHandlerOf(
    const HeldReference<cef_client_t>& client) {
    if (!client || client->get_life_span_handler == nullptr) {
        return {};
    }
    return HeldReference<cef_life_span_handler_t>::Adopt(
        client->get_life_span_handler(client.get()));
}

HeldReference<cef_load_handler_t> LoadHandlerOf(const HeldReference<cef_client_t>& client) {
    if (!client || client->get_load_handler == nullptr) {
        return {};
    }
    return HeldReference<cef_load_handler_t>::Adopt(client->get_load_handler(client.get()));
}

}  // namespace quillmoor::bridge
