// The cef_app_t handed to the engine in every process: adds the browser process's
// command-line switches and supplies its browser-process handler.
#pragma once

#include <atomic>
#include <memory>

#include "engine/engine_object.h"
#include "startup/browser_process_handler.h"
#include "startup/tcef_process_type.h"

namespace quillmoor {

class EngineAppHandler : public EngineObject<cef_app_t> {
  public:
    // context_initialized is what the browser-process handler sets (browser process only).
    EngineAppHandler(TCefProcessType process_type,
                     std::shared_ptr<std::atomic<bool>> context_initialized);

  private:
    static void CEF_CALLBACK OnBeforeCommandLineProcessing(cef_app_t* self,
                                                           const cef_string_t* process_type,
                                                           cef_command_line_t* command_line);
    static void CEF_CALLBACK OnRegisterCustomSchemes(cef_app_t* self,
                                                     cef_scheme_registrar_t* registrar);
    static cef_resource_bundle_handler_t* CEF_CALLBACK GetResourceBundleHandler(cef_app_t* self);
    static cef_browser_process_handler_t* CEF_CALLBACK GetBrowserProcessHandler(cef_app_t* self);
    static cef_render_process_handler_t* CEF_CALLBACK GetRenderProcessHandler(cef_app_t* self);

    void AddBrowserSwitches(cef_command_line_t* command_line) const;

    TCefProcessType process_type_;
    EngineObjectPtr<BrowserProcessHandler> browser_process_handler_;
};

}  // namespace quillmoor
