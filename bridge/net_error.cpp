#include "bridge/net_error.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace quillmoor::bridge {

namespace {

struct KnownError {
    std::string_view name;
    int code;
};

// The errors a page load meets, by Chromium's numbers.
constexpr KnownError kKnownErrors[] = {
    {"ERR_FAILED", -2},
    {"ERR_ABORTED", -3},
    {"ERR_INVALID_ARGUMENT", -4},
    {"ERR_INVALID_HANDLE", -5},
    {"ERR_FILE_NOT_FOUND", -6},
    {"ERR_TIMED_OUT", -7},
    {"ERR_FILE_TOO_BIG", -8},
    {"ERR_UNEXPECTED", -9},
    {"ERR_ACCESS_DENIED", -10},
    {"ERR_NOT_IMPLEMENTED", -11},
    {"ERR_INSUFFICIENT_RESOURCES", -12},
    {"ERR_OUT_OF_MEMORY", -13},
    {"ERR_BLOCKED_BY_CLIENT", -20},
    {"ERR_NETWORK_CHANGED", -21},
    {"ERR_BLOCKED_BY_ADMINISTRATOR", -22},
    {"ERR_BLOCKED_BY_RESPONSE", -27},
    {"ERR_CONNECTION_CLOSED", -100},
    {"ERR_CONNECTION_RESET", -101},
    {"ERR_CONNECTION_REFUSED", -102},
    {"ERR_CONNECTION_ABORTED", -103},
    {"ERR_CONNECTION_FAILED", -104},
    {"ERR_NAME_NOT_RESOLVED", -105},
    {"ERR_INTERNET_DISCONNECTED", -106},
    {"ERR_SSL_PROTOCOL_ERROR", -107},
    {"ERR_ADDRESS_INVALID", -108},
    {"ERR_ADDRESS_UNREACHABLE", -109},
    {"ERR_CONNECTION_TIMED_OUT", -118},
    {"ERR_NAME_RESOLUTION_FAILED", -137},
    {"ERR_CERT_COMMON_NAME_INVALID", -200},
    {"ERR_CERT_DATE_INVALID", -201},
    {"ERR_CERT_AUTHORITY_INVALID", -202},
    {"ERR_CERT_INVALID", -207},
    {"ERR_INVALID_URL", -300},
    {"ERR_DISALLOWED_URL_SCHEME", -301},
    {"ERR_UNKNOWN_URL_SCHEME", -302},
    {"ERR_TOO_MANY_REDIRECTS", -310},
    {"ERR_UNSAFE_REDIRECT", -311},
    {"ERR_UNSAFE_PORT", -312},
    {"ERR_INVALID_RESPONSE", -320},
    {"ERR_EMPTY_RESPONSE", -324},
    {"ERR_CONTENT_LENGTH_MISMATCH", -354},
    {"ERR_INCOMPLETE_CHUNKED_ENCODING", -355},
    {"ERR_HTTP_RESPONSE_CODE_FAILURE", -379},
};

constexpr int kFailed = -2;

}  // namespace

NetError NetErrorFromText(const std::string& text) {
    std::string_view name = text;
    if (const std::size_t colons = name.rfind("::"); colons != std::string_view::npos) {
        name.remove_prefix(colons + 2);
    }
    if (name.empty()) {
        name = "ERR_FAILED";
    }
    const auto known = std::find_if(std::begin(kKnownErrors), std::end(kKnownErrors),
                                    [&](const KnownError& error) { return error.name == name; });
    const int code = known != std::end(kKnownErrors) ? known->code : kFailed;
    return {static_cast<cef_errorcode_t>(code), std::string(name)};
}

}  // namespace quillmoor::bridge
