// A program that initialises the engine and ends without shutting it down. It writes the
// Chromium it started ("<process id> <profile folder>") to standard output first.
#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "engine/cef_capi.h"
#include "tests/bridge/process_table.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW);
    if (library == nullptr) {
        return 3;
    }
    auto initialize = reinterpret_cast<cef_initialize_fn>(dlsym(library, "cef_initialize"));
    char* engine_argv[] = {argv[0], nullptr};
    cef_main_args_t args{1, engine_argv};
    cef_settings_t settings{};
    settings.size = sizeof settings;
    settings.no_sandbox = 1;
    if (initialize == nullptr || initialize(&args, &settings, nullptr, nullptr) != 1) {
        return 4;
    }
    const pid_t chromium = quillmoor::bridge_test::ChromiumChildOf(getpid());
    const std::string profile = quillmoor::bridge_test::SwitchValueOf(chromium, "user-data-dir");
    std::printf("%d %s\n", static_cast<int>(chromium), profile.c_str());
    std::fflush(stdout);
    _exit(0);
}
