// The control panel of the test engine library: a stand-in for the engine library that
// records what the program asks of it and answers as the test decides.
#pragma once

#include <string>
#include <vector>

#include "engine/cef_capi.h"

namespace quillmoor::test_engine {

// How the engine answers.
struct Script {
    // What cef_execute_process returns: negative in the browser process, 0 or more when
    // the engine ran the process as one of its sub-processes.
    int execute_process_result = -1;
    // The process type that cef_execute_process gives the command-line callback when it
    // runs a sub-process.
    std::u16string sub_process_type = u"renderer";
    // What cef_initialize returns.
    int initialize_result = 1;
    // The process type that cef_initialize gives the command-line callback; null passes a
    // null pointer instead of a string.
    std::u16string initialize_process_type;
    bool initialize_passes_null_process_type = false;
    // cef_initialize starts a thread of its own that sends the global-context-initialised
    // notice once the test calls SendContextNotice.
    bool notify_context_initialized = true;
    // cef_version_info 0, 1, 2.
    int version[3] = {78, 3, 9};
};

// What the program did.
struct Record {
    std::vector<std::string> calls;   // exported functions called, in order, with arguments
    int apps_given = 0;               // calls that got the program's application
    bool sandbox_info_given = false;  // any call got sandbox information
    int main_args_argc = -1;
    bool settings_given = false;
    cef_settings_t settings{};             // as given; its texts are not to be followed
    std::vector<std::u16string> switches;  // "name" or "name=value", as added
    bool browser_process_handler_given = false;
    bool notice_sent_from_other_thread = false;
};

class Control {
  public:
    // Gives back every reference the engine holds, ends its threads and starts afresh.
    virtual void Reset(const Script& script) = 0;
    virtual Record Recorded() = 0;
    // Lets the engine's thread send the global-context-initialised notice and waits for it.
    virtual void SendContextNotice() = 0;

  protected:
    ~Control() = default;
};

}  // namespace quillmoor::test_engine

// The one exported function that the real engine does not have.
extern "C" CEF_EXPORT quillmoor::test_engine::Control* quillmoor_test_engine_control();
