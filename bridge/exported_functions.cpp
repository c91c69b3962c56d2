// The engine's C functions, as the program finds them by name in libcef.so.
#include <cstring>
#include <string>

#include "bridge/bridge_engine.h"
#include "bridge/engine_strings.h"
#include "bridge/exception_barrier.h"
#include "engine/cef_capi.h"
#include "engine/engine_string.h"
#include "engine/engine_version.h"
#include "platform/utf.h"

using quillmoor::bridge::AsStringList;
using quillmoor::bridge::BridgeEngine;
using quillmoor::bridge::NoExceptionOut;
using quillmoor::bridge::StringList;

namespace {

// The engine build whose interface the library carries, as cef_version_info gives it.
constexpr int kInterfaceVersion[] = {quillmoor::kEngineBuild.major, quillmoor::kEngineBuild.minor,
                                     quillmoor::kEngineBuild.patch, 0};

void FreeUtf16Text(char16* text) {
    delete[] text;
}
void FreeUtf8Text(char* text) {
    delete[] text;
}

}  // namespace

extern "C" {

// ---- Process start, initialisation and shutdown ----------------------------------------------

CEF_EXPORT int cef_execute_process(const cef_main_args_t* args, cef_app_t* application, void*) {
    return NoExceptionOut("cef_execute_process", 0,
                          [&] { return BridgeEngine::ExecuteProcess(args, application); });
}

CEF_EXPORT int cef_initialize(const cef_main_args_t* args, const cef_settings_t* settings,
                              cef_app_t* application, void*) {
    return NoExceptionOut("cef_initialize", 0,
                          [&] { return BridgeEngine::Initialize(args, settings, application); });
}

CEF_EXPORT void cef_shutdown(void) {
    NoExceptionOut("cef_shutdown", [&] { BridgeEngine::Shutdown(); });
}

// Chromium runs its own loop in its own process: a modal loop of the program changes
// nothing for it.
CEF_EXPORT void cef_set_osmodal_loop(int) {}

CEF_EXPORT void cef_enable_highdpi_support(void) {}

// ---- Browsers --------------------------------------------------------------------------------

CEF_EXPORT int cef_browser_host_create_browser(const cef_window_info_t* window_info,
                                               cef_client_t* client, const cef_string_t* url,
                                               const cef_browser_settings_t*,
                                               cef_dictionary_value_t* extra_info,
                                               cef_request_context_t* request_context) {
    return NoExceptionOut("cef_browser_host_create_browser", 0, [&] {
        quillmoor::ReleaseEngineReference(extra_info);
        quillmoor::ReleaseEngineReference(request_context);
        return BridgeEngine::CreateBrowser(window_info, client, url);
    });
}

CEF_EXPORT cef_browser_t* cef_browser_host_create_browser_sync(
    const cef_window_info_t* window_info, cef_client_t* client, const cef_string_t* url,
    const cef_browser_settings_t*, cef_dictionary_value_t* extra_info,
    cef_request_context_t* request_context) {
    return NoExceptionOut("cef_browser_host_create_browser_sync",
                          static_cast<cef_browser_t*>(nullptr), [&] {
                              quillmoor::ReleaseEngineReference(extra_info);
                              quillmoor::ReleaseEngineReference(request_context);
                              return BridgeEngine::CreateBrowserSync(window_info, client, url);
                          });
}

// Every browser runs in the one temporary profile: there is no request context object to
// hand out, and a null one stands for the global context.
CEF_EXPORT cef_request_context_t* cef_request_context_get_global_context(void) {
    return NoExceptionOut("cef_request_context_get_global_context",
                          static_cast<cef_request_context_t*>(nullptr), [&] { return nullptr; });
}

// ---- Strings ---------------------------------------------------------------------------------

CEF_EXPORT int cef_string_utf16_set(const char16* src, size_t src_len, cef_string_utf16_t* output,
                                    int copy) {
    return NoExceptionOut("cef_string_utf16_set", 0, [&] {
        if (output == nullptr) {
            return 0;
        }
        cef_string_utf16_clear(output);
        if (src == nullptr || src_len == 0) {
            return 1;
        }
        if (copy == 0) {
            output->str = const_cast<char16*>(src);
            output->length = src_len;
            return 1;
        }
        auto* text = new char16[src_len + 1];
        std::memcpy(text, src, src_len * sizeof(char16));
        text[src_len] = 0;
        output->str = text;
        output->length = src_len;
        output->dtor = &FreeUtf16Text;
        return 1;
    });
}

CEF_EXPORT void cef_string_utf16_clear(cef_string_utf16_t* str) {
    NoExceptionOut("cef_string_utf16_clear", [&] {
        if (str == nullptr) {
            return;
        }
        if (str->dtor != nullptr && str->str != nullptr) {
            str->dtor(str->str);
        }
        str->str = nullptr;
        str->length = 0;
        str->dtor = nullptr;
    });
}

CEF_EXPORT cef_string_userfree_utf16_t cef_string_userfree_utf16_alloc(void) {
    return NoExceptionOut("cef_string_userfree_utf16_alloc",
                          static_cast<cef_string_userfree_utf16_t>(nullptr),
                          [&] { return new cef_string_utf16_t{}; });
}

CEF_EXPORT void cef_string_userfree_utf16_free(cef_string_userfree_utf16_t str) {
    NoExceptionOut("cef_string_userfree_utf16_free", [&] {
        if (str == nullptr) {
            return;
        }
        cef_string_utf16_clear(str);
        delete str;
    });
}

CEF_EXPORT int cef_string_utf8_to_utf16(const char* src, size_t src_len,
                                        cef_string_utf16_t* output) {
    return NoExceptionOut("cef_string_utf8_to_utf16", 0, [&] {
        if (output == nullptr) {
            return 0;
        }
        const std::u16string text = quillmoor::Utf8ToUtf16(
            std::string_view(src != nullptr ? src : "", src != nullptr ? src_len : 0));
        quillmoor::bridge::AssignCopy(output, text);
        return quillmoor::IsValidUtf8(
                   std::string_view(src != nullptr ? src : "", src != nullptr ? src_len : 0))
                   ? 1
                   : 0;
    });
}

CEF_EXPORT int cef_string_utf16_to_utf8(const char16* src, size_t src_len,
                                        cef_string_utf8_t* output) {
    return NoExceptionOut("cef_string_utf16_to_utf8", 0, [&] {
        if (output == nullptr) {
            return 0;
        }
        std::u16string wide(src_len, u'\0');
        if (src != nullptr && src_len > 0) {
            std::memcpy(wide.data(), src, src_len * sizeof(char16));
        }
        const std::string narrow = quillmoor::Utf16ToUtf8(wide);
        if (output->dtor != nullptr && output->str != nullptr) {
            output->dtor(output->str);
        }
        auto* text = new char[narrow.size() + 1];
        std::memcpy(text, narrow.data(), narrow.size());
        text[narrow.size()] = '\0';
        output->str = text;
        output->length = narrow.size();
        output->dtor = &FreeUtf8Text;
        return quillmoor::Utf8ToUtf16(narrow) == wide ? 1 : 0;
    });
}

// ---- String lists ----------------------------------------------------------------------------

CEF_EXPORT cef_string_list_t cef_string_list_alloc(void) {
    return NoExceptionOut("cef_string_list_alloc", static_cast<cef_string_list_t>(nullptr),
                          [&] { return new StringList; });
}

CEF_EXPORT size_t cef_string_list_size(cef_string_list_t list) {
    return NoExceptionOut("cef_string_list_size", std::size_t{0},
                          [&] { return list != nullptr ? AsStringList(list)->size() : 0; });
}

CEF_EXPORT int cef_string_list_value(cef_string_list_t list, size_t index, cef_string_t* value) {
    return NoExceptionOut("cef_string_list_value", 0, [&] {
        if (list == nullptr || value == nullptr || index >= AsStringList(list)->size()) {
            return 0;
        }
        quillmoor::bridge::AssignCopy(value, (*AsStringList(list))[index]);
        return 1;
    });
}

CEF_EXPORT void cef_string_list_append(cef_string_list_t list, const cef_string_t* value) {
    NoExceptionOut("cef_string_list_append", [&] {
        if (list != nullptr) {
            AsStringList(list)->push_back(quillmoor::FromEngineString(value));
        }
    });
}

CEF_EXPORT void cef_string_list_clear(cef_string_list_t list) {
    NoExceptionOut("cef_string_list_clear", [&] {
        if (list != nullptr) {
            AsStringList(list)->clear();
        }
    });
}

CEF_EXPORT void cef_string_list_free(cef_string_list_t list) {
    NoExceptionOut("cef_string_list_free", [&] { delete AsStringList(list); });
}

CEF_EXPORT cef_string_list_t cef_string_list_copy(cef_string_list_t list) {
    return NoExceptionOut("cef_string_list_copy", static_cast<cef_string_list_t>(nullptr), [&] {
        return list != nullptr ? new StringList(*AsStringList(list)) : nullptr;
    });
}

// ---- Command lines ---------------------------------------------------------------------------

CEF_EXPORT cef_command_line_t* cef_command_line_create(void) {
    return NoExceptionOut(
        "cef_command_line_create", static_cast<cef_command_line_t*>(nullptr), [&] {
            return quillmoor::EngineObjectPtr<quillmoor::bridge::CommandLine>::Make(
                       quillmoor::bridge::CommandLineAccess::kWritable)
                ->NewReference();
        });
}

CEF_EXPORT cef_command_line_t* cef_command_line_get_global(void) {
    return NoExceptionOut("cef_command_line_get_global", static_cast<cef_command_line_t*>(nullptr),
                          [&] { return BridgeEngine::GlobalCommandLine(); });
}

// ---- Build identification --------------------------------------------------------------------

CEF_EXPORT int cef_version_info(int entry) {
    return NoExceptionOut("cef_version_info", 0, [&] {
        if (entry >= 0 && entry <= 3) {
            return kInterfaceVersion[entry];
        }
        if (entry >= 4 && entry <= 7) {
            return BridgeEngine::ChromiumVersionPart(entry - 4);
        }
        return 0;
    });
}

CEF_EXPORT const char* cef_api_hash(int entry) {
    return NoExceptionOut("cef_api_hash", static_cast<const char*>(nullptr), [&]() -> const char* {
        switch (entry) {
            case 0:
            case 1: {
                static const std::string hash =
                    "quillmoor-linux-engine-" + std::to_string(quillmoor::kEngineBuild.major) +
                    "." + std::to_string(quillmoor::kEngineBuild.minor) + "." +
                    std::to_string(quillmoor::kEngineBuild.patch);
                return hash.c_str();
            }
            case 2:
                return "0000000000000000000000000000000000000000";
            default:
                return nullptr;
        }
    });
}

}  // extern "C"
