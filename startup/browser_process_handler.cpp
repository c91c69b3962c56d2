#include "startup/browser_process_handler.h"

namespace quillmoor {

BrowserProcessHandler::BrowserProcessHandler(std::shared_ptr<std::atomic<bool>> context_initialized)
    : context_initialized_(std::move(context_initialized)) {
    Table().on_context_initialized = &OnContextInitialized;
    Table().on_before_child_process_launch = &OnBeforeChildProcessLaunch;
    Table().on_render_process_thread_created = &OnRenderProcessThreadCreated;
    Table().get_print_handler = &GetPrintHandler;
    Table().on_schedule_message_pump_work = &OnScheduleMessagePumpWork;
}

void CEF_CALLBACK BrowserProcessHandler::OnContextInitialized(cef_browser_process_handler_t* self) {
    Self<BrowserProcessHandler>(self)->context_initialized_->store(true, std::memory_order_release);
}

// The other notices do nothing but give back the reference that came with their argument.

void CEF_CALLBACK BrowserProcessHandler::OnBeforeChildProcessLaunch(
    cef_browser_process_handler_t*, cef_command_line_t* command_line) {
    ReleaseEngineReference(command_line);
}

void CEF_CALLBACK BrowserProcessHandler::OnRenderProcessThreadCreated(
    cef_browser_process_handler_t*, cef_list_value_t* extra_info) {
    ReleaseEngineReference(extra_info);
}

cef_print_handler_t* CEF_CALLBACK
BrowserProcessHandler::GetPrintHandler(cef_browser_process_handler_t*) {
    return nullptr;
}

void CEF_CALLBACK BrowserProcessHandler::OnScheduleMessagePumpWork(cef_browser_process_handler_t*,
                                                                   cef_int64) {}

}  // namespace quillmoor
