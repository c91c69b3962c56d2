// The program entry. The same executable is the browser process, which the user starts,
// and every sub-process that the engine starts with a "--type=" argument.
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/tcef_application.h"
#include "platform/ole_runtime.h"
#include "platform/process_arguments.h"

int main(int argc, char** argv) {
    using namespace quillmoor;
    InitializeOle();

    const ProcessArguments arguments(argc, argv);
    TCefApplication application(arguments);
    if (!application.StartMainProcess()) {
        // A sub-process whose engine work is done, or a failed start (already reported).
        return 0;
    }

    // The browser process. The windows are not part of this build yet: show that the
    // engine runs, then end it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!application.GlobalContextInitialized() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (application.GlobalContextInitialized()) {
        std::puts("Quillmoor: the browser engine started and reported its global context ready.");
    } else {
        std::puts(
            "Quillmoor: the browser engine started but did not report its global context "
            "ready within 30 seconds.");
    }
    std::puts(
        "This build checks, loads and starts the engine (and serves as the engine's "
        "sub-processes); the translation windows are not part of it yet.");
    std::fflush(stdout);
    application.EntryPoints().cef_shutdown();
    return 0;
}
