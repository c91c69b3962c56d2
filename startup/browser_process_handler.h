// The engine's browser-process handler: notes when the engine's global context is ready.
#pragma once

#include <atomic>
#include <memory>

#include "engine/engine_object.h"

namespace quillmoor {

class BrowserProcessHandler : public EngineObject<cef_browser_process_handler_t> {
  public:
    // context_initialized is set (on the engine's UI thread) once the engine reports its
    // global context initialised.
    explicit BrowserProcessHandler(std::shared_ptr<std::atomic<bool>> context_initialized);

  private:
    static void CEF_CALLBACK OnContextInitialized(cef_browser_process_handler_t* self);
    static void CEF_CALLBACK OnBeforeChildProcessLaunch(cef_browser_process_handler_t* self,
                                                        cef_command_line_t* command_line);
    static void CEF_CALLBACK OnRenderProcessThreadCreated(cef_browser_process_handler_t* self,
                                                          cef_list_value_t* extra_info);
    static cef_print_handler_t* CEF_CALLBACK GetPrintHandler(cef_browser_process_handler_t* self);
    static void CEF_CALLBACK OnScheduleMessagePumpWork(cef_browser_process_handler_t* self,
                                                       cef_int64 delay_ms);

    std::shared_ptr<std::atomic<bool>> context_initialized_;
};

}  // namespace quillmoor
