// The engine's C functions, as the program finds them by name in libcef.dll: every function
// of startup/engine_entry_points.h, and the message-loop functions of an engine that runs
// without multi_threaded_message_loop. Only these are exported.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <type_traits>

#include "engine/cef_capi.h"
#include "engine/engine_string.h"
#include "engine/engine_version.h"
#include "platform/utf.h"
#include "startup/engine_entry_points.h"
#include "tests/win/scripted_engine/library/engine_strings.h"
#include "tests/win/scripted_engine/library/scripted_engine.h"

#if defined(_WIN32)
#define SCRIPTED_EXPORT __declspec(dllexport) CEF_EXPORT
#else
#define SCRIPTED_EXPORT CEF_EXPORT
#endif

using quillmoor::scripted_engine::AssignCopy;
using quillmoor::scripted_engine::AsStringList;
using quillmoor::scripted_engine::Engine;
using quillmoor::scripted_engine::StringList;

namespace {

// The Chromium of the engine build, as cef_version_info gives it (entries 4..7).
constexpr int kChromiumVersion[] = {78, 0, 3904, 108};

void FreeUtf8Text(char* text) {
    delete[] text;
}

// Nothing unwinds into a C caller: a failure that escapes becomes failure and one line on
// standard error.
template <typename Result, typename Body>
Result Guarded(const char* function, Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillmoor scripted engine: %s failed: %s\n", function, error.what());
    } catch (...) {
        std::fprintf(stderr, "quillmoor scripted engine: %s failed.\n", function);
    }
    return failure;
}

template <typename Body>
void Guarded(const char* function, Body&& body) noexcept {
    Guarded(function, 0, [&] {
        body();
        return 0;
    });
}

}  // namespace

extern "C" {

// The message-loop functions that the program does not use (it runs the engine with
// multi_threaded_message_loop); declared here, as the engine's headers have them.
SCRIPTED_EXPORT void cef_do_message_loop_work(void);
SCRIPTED_EXPORT void cef_run_message_loop(void);
SCRIPTED_EXPORT void cef_quit_message_loop(void);

// ---- Process start, initialisation and shutdown ----------------------------------------------

SCRIPTED_EXPORT int cef_execute_process(const cef_main_args_t*, cef_app_t* application, void*) {
    return Guarded("cef_execute_process", 0,
                   [&] { return Engine::Get().ExecuteProcess(application); });
}

SCRIPTED_EXPORT int cef_initialize(const cef_main_args_t*, const cef_settings_t* settings,
                                   cef_app_t* application, void*) {
    return Guarded("cef_initialize", 0,
                   [&] { return Engine::Get().Initialize(settings, application); });
}

SCRIPTED_EXPORT void cef_shutdown(void) {
    Guarded("cef_shutdown", [&] { Engine::Get().Shutdown(); });
}

SCRIPTED_EXPORT void cef_do_message_loop_work(void) {
    Guarded("cef_do_message_loop_work", [&] { Engine::Get().DoMessageLoopWork(); });
}

SCRIPTED_EXPORT void cef_run_message_loop(void) {
    Guarded("cef_run_message_loop", [&] { Engine::Get().RunMessageLoop(); });
}

SCRIPTED_EXPORT void cef_quit_message_loop(void) {
    Guarded("cef_quit_message_loop", [&] { Engine::Get().QuitMessageLoop(); });
}

// No window of the engine's own takes part in the program's modal loops.
SCRIPTED_EXPORT void cef_set_osmodal_loop(int) {}

SCRIPTED_EXPORT void cef_enable_highdpi_support(void) {}

// ---- Browsers --------------------------------------------------------------------------------

SCRIPTED_EXPORT int cef_browser_host_create_browser(const cef_window_info_t*, cef_client_t* client,
                                                    const cef_string_t* url,
                                                    const cef_browser_settings_t*,
                                                    cef_dictionary_value_t* extra_info,
                                                    cef_request_context_t* request_context) {
    return Guarded("cef_browser_host_create_browser", 0, [&] {
        quillmoor::ReleaseEngineReference(extra_info);
        quillmoor::ReleaseEngineReference(request_context);
        return Engine::Get().CreateBrowser(client, url);
    });
}

SCRIPTED_EXPORT cef_browser_t* cef_browser_host_create_browser_sync(
    const cef_window_info_t*, cef_client_t* client, const cef_string_t* url,
    const cef_browser_settings_t*, cef_dictionary_value_t* extra_info,
    cef_request_context_t* request_context) {
    return Guarded("cef_browser_host_create_browser_sync", static_cast<cef_browser_t*>(nullptr),
                   [&] {
                       quillmoor::ReleaseEngineReference(extra_info);
                       quillmoor::ReleaseEngineReference(request_context);
                       return Engine::Get().CreateBrowserSync(client, url);
                   });
}

// Every browser shares one context, which no object stands for: null is the global one.
SCRIPTED_EXPORT cef_request_context_t* cef_request_context_get_global_context(void) {
    return nullptr;
}

// ---- Strings ---------------------------------------------------------------------------------

SCRIPTED_EXPORT int cef_string_utf16_set(const char16* src, size_t src_len,
                                         cef_string_utf16_t* output, int copy) {
    return Guarded("cef_string_utf16_set", 0, [&] {
        if (output == nullptr) {
            return 0;
        }
        if (src == nullptr || src_len == 0) {
            cef_string_utf16_clear(output);
            return 1;
        }
        if (copy == 0) {
            cef_string_utf16_clear(output);
            output->str = const_cast<char16*>(src);
            output->length = src_len;
            return 1;
        }
        AssignCopy(output, std::u16string_view(reinterpret_cast<const char16_t*>(src), src_len));
        return 1;
    });
}

SCRIPTED_EXPORT void cef_string_utf16_clear(cef_string_utf16_t* str) {
    if (str == nullptr) {
        return;
    }
    if (str->dtor != nullptr && str->str != nullptr) {
        str->dtor(str->str);
    }
    str->str = nullptr;
    str->length = 0;
    str->dtor = nullptr;
}

SCRIPTED_EXPORT cef_string_userfree_utf16_t cef_string_userfree_utf16_alloc(void) {
    return Guarded("cef_string_userfree_utf16_alloc",
                   static_cast<cef_string_userfree_utf16_t>(nullptr),
                   [&] { return new cef_string_utf16_t{}; });
}

SCRIPTED_EXPORT void cef_string_userfree_utf16_free(cef_string_userfree_utf16_t str) {
    if (str == nullptr) {
        return;
    }
    cef_string_utf16_clear(str);
    delete str;
}

SCRIPTED_EXPORT int cef_string_utf8_to_utf16(const char* src, size_t src_len,
                                             cef_string_utf16_t* output) {
    return Guarded("cef_string_utf8_to_utf16", 0, [&] {
        if (output == nullptr) {
            return 0;
        }
        const std::string_view bytes(src != nullptr ? src : "", src != nullptr ? src_len : 0);
        AssignCopy(output, quillmoor::Utf8ToUtf16(bytes));
        return quillmoor::IsValidUtf8(bytes) ? 1 : 0;
    });
}

SCRIPTED_EXPORT int cef_string_utf16_to_utf8(const char16* src, size_t src_len,
                                             cef_string_utf8_t* output) {
    return Guarded("cef_string_utf16_to_utf8", 0, [&] {
        if (output == nullptr) {
            return 0;
        }
        const std::u16string_view wide(
            src != nullptr ? reinterpret_cast<const char16_t*>(src) : u"",
            src != nullptr ? src_len : 0);
        std::string narrow;
        const bool well_formed = quillmoor::AppendUtf16AsUtf8(wide, narrow);
        auto* text = new char[narrow.size() + 1];
        std::memcpy(text, narrow.data(), narrow.size());
        text[narrow.size()] = '\0';
        if (output->dtor != nullptr && output->str != nullptr) {
            output->dtor(output->str);
        }
        output->str = text;
        output->length = narrow.size();
        output->dtor = &FreeUtf8Text;
        return well_formed ? 1 : 0;
    });
}

// ---- String lists ----------------------------------------------------------------------------

SCRIPTED_EXPORT cef_string_list_t cef_string_list_alloc(void) {
    return Guarded("cef_string_list_alloc", static_cast<cef_string_list_t>(nullptr),
                   [&] { return static_cast<cef_string_list_t>(new StringList); });
}

SCRIPTED_EXPORT size_t cef_string_list_size(cef_string_list_t list) {
    return list != nullptr ? AsStringList(list)->size() : 0;
}

SCRIPTED_EXPORT int cef_string_list_value(cef_string_list_t list, size_t index,
                                          cef_string_t* value) {
    return Guarded("cef_string_list_value", 0, [&] {
        if (list == nullptr || value == nullptr || index >= AsStringList(list)->size()) {
            return 0;
        }
        AssignCopy(value, (*AsStringList(list))[index]);
        return 1;
    });
}

SCRIPTED_EXPORT void cef_string_list_append(cef_string_list_t list, const cef_string_t* value) {
    Guarded("cef_string_list_append", [&] {
        if (list != nullptr) {
            AsStringList(list)->push_back(quillmoor::FromEngineString(value));
        }
    });
}

SCRIPTED_EXPORT void cef_string_list_clear(cef_string_list_t list) {
    if (list != nullptr) {
        AsStringList(list)->clear();
    }
}

SCRIPTED_EXPORT void cef_string_list_free(cef_string_list_t list) {
    delete AsStringList(list);
}

SCRIPTED_EXPORT cef_string_list_t cef_string_list_copy(cef_string_list_t list) {
    return Guarded("cef_string_list_copy", static_cast<cef_string_list_t>(nullptr), [&] {
        return list != nullptr ? static_cast<cef_string_list_t>(new StringList(*AsStringList(list)))
                               : static_cast<cef_string_list_t>(nullptr);
    });
}

// ---- Command lines ---------------------------------------------------------------------------

SCRIPTED_EXPORT cef_command_line_t* cef_command_line_create(void) {
    return Guarded("cef_command_line_create", static_cast<cef_command_line_t*>(nullptr), [&] {
        return quillmoor::EngineObjectPtr<quillmoor::scripted_engine::CommandLine>::Make()
            ->NewReference();
    });
}

SCRIPTED_EXPORT cef_command_line_t* cef_command_line_get_global(void) {
    return Guarded("cef_command_line_get_global", static_cast<cef_command_line_t*>(nullptr),
                   [&] { return Engine::Get().GlobalCommandLine(); });
}

// ---- Build identification --------------------------------------------------------------------

SCRIPTED_EXPORT int cef_version_info(int entry) {
    switch (entry) {
        case 0:
            return quillmoor::kEngineBuild.major;
        case 1:
            return quillmoor::kEngineBuild.minor;
        case 2:
            return quillmoor::kEngineBuild.patch;
        case 3:
            return 0;  // the commit number: no commit of the engine's own
        case 4:
        case 5:
        case 6:
        case 7:
            return kChromiumVersion[entry - 4];
        default:
            return 0;
    }
}

SCRIPTED_EXPORT const char* cef_api_hash(int entry) {
    switch (entry) {
        case 0:
        case 1:
            return "quillmoor-scripted-engine-78.3.9";
        case 2:
            return "0000000000000000000000000000000000000000";
        default:
            return nullptr;
    }
}

}  // extern "C"

// Every function the program looks up is defined here with the type it looks it up with.
#define QUILLMOOR_CHECK_ENTRY_POINT(name) \
    static_assert(std::is_same_v<decltype(&name), ::name##_fn>);
QUILLMOOR_ENGINE_ENTRY_POINTS(QUILLMOOR_CHECK_ENTRY_POINT)
#undef QUILLMOOR_CHECK_ENTRY_POINT
