// The references the engine library holds to objects of the program (client, handlers,
// application, visitor).
#pragma once

#include "engine/cef_capi.h"
#include "engine/held_reference.h"

namespace quillmoor::bridge {

using quillmoor::HeldReference;

// The client's handlers; empty when the client offers none.
HeldReference<cef_life_span_handler_t> LifeSpanHandlerOf(const HeldReference<cef_client_t>& client);
HeldReference<cef_load_handler_t> LoadHandlerOf(const HeldReference<cef_client_t>& client);

}  // namespace quillmoor::bridge
