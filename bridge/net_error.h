// Chromium's network error codes, as DevTools names them ("net::ERR_CONNECTION_REFUSED")
// and as the engine interface numbers them (cef_errorcode_t, Chromium's own numbers).
#pragma once

#include <string>

#include "engine/cef_capi.h"

namespace quillmoor::bridge {

struct NetError {
    cef_errorcode_t code;
    std::string name;  // "ERR_CONNECTION_REFUSED"
};

// The error DevTools reports as text; an error without a known number is ERR_FAILED
// under its own name.
NetError NetErrorFromText(const std::string& text);

}  // namespace quillmoor::bridge
