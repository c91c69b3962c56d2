#include "startup/engine_app_handler.h"

#include <string_view>

#include "engine/engine_string.h"

namespace quillmoor {
namespace {

struct BrowserSwitch {
    std::u16string_view name;
    std::u16string_view value;  // empty: a switch without value
};

// The switches of the browser process, in the order they are added.
constexpr BrowserSwitch kBrowserSwitches[] = {
    {u"--enable-accelerated-plugins", u""},
    {u"--enable-system-flash", u""},
    {u"--enable-media-stream", u"1"},
    {u"--enable-speech-input", u"1"},
    {u"--disable-gpu", u""},
    {u"--disable-gpu-compositing", u""},
    {u"--disable-gpu-shader-disk-cache", u""},
};

}  // namespace

EngineAppHandler::EngineAppHandler(TCefProcessType process_type,
                                   std::shared_ptr<std::atomic<bool>> context_initialized)
    : process_type_(process_type) {
    if (process_type_ == TCefProcessType::ptBrowser) {
        browser_process_handler_ =
            EngineObjectPtr<BrowserProcessHandler>::Make(std::move(context_initialized));
    }
    Table().on_before_command_line_processing = &OnBeforeCommandLineProcessing;
    Table().on_register_custom_schemes = &OnRegisterCustomSchemes;
    Table().get_resource_bundle_handler = &GetResourceBundleHandler;
    Table().get_browser_process_handler = &GetBrowserProcessHandler;
    Table().get_render_process_handler = &GetRenderProcessHandler;
}

void CEF_CALLBACK EngineAppHandler::OnBeforeCommandLineProcessing(
    cef_app_t* self, const cef_string_t* process_type, cef_command_line_t* command_line) {
    // An empty process type means the engine asks about the browser process's own
    // command line.
    const bool for_browser = process_type == nullptr || process_type->length == 0;
    const EngineAppHandler* app = Self<EngineAppHandler>(self);
    if (for_browser && app->process_type_ == TCefProcessType::ptBrowser &&
        command_line != nullptr) {
        app->AddBrowserSwitches(command_line);
    }
    ReleaseEngineReference(command_line);
}

void EngineAppHandler::AddBrowserSwitches(cef_command_line_t* command_line) const {
    for (const BrowserSwitch& entry : kBrowserSwitches) {
        const cef_string_t name = EngineStringView(entry.name);
        if (entry.value.empty()) {
            command_line->append_switch(command_line, &name);
        } else {
            const cef_string_t value = EngineStringView(entry.value);
            command_line->append_switch_with_value(command_line, &name, &value);
        }
    }
}

void CEF_CALLBACK EngineAppHandler::OnRegisterCustomSchemes(cef_app_t*, cef_scheme_registrar_t*) {
    // No custom schemes. The registrar is not a reference-counted object.
}

cef_resource_bundle_handler_t* CEF_CALLBACK EngineAppHandler::GetResourceBundleHandler(cef_app_t*) {
    return nullptr;
}

cef_browser_process_handler_t* CEF_CALLBACK
EngineAppHandler::GetBrowserProcessHandler(cef_app_t* self) {
    const EngineAppHandler* app = Self<EngineAppHandler>(self);
    if (!app->browser_process_handler_) {
        return nullptr;
    }
    return app->browser_process_handler_->NewReference();
}

cef_render_process_handler_t* CEF_CALLBACK EngineAppHandler::GetRenderProcessHandler(cef_app_t*) {
    return nullptr;
}

}  // namespace quillmoor
