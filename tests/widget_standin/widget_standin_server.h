// Runs the translation widget's stand-in (widget_standin.py) for a test or a benchmark:
// started on a free port of 127.0.0.1, ended by its process id when the object goes.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/no_copy.h"

namespace quillmoor::test_support {

class WidgetStandinServer {
  public:
    // The modes, folders beside the script: the earlier widget as the program was written
    // for it; the widget as it is served today; a widget that loads but never translates.
    static constexpr const char* kFirstGeneration = "standin";
    static constexpr const char* kCurrentGeneration = "current";
    static constexpr const char* kUntranslating = "untranslating";

    // Starts the stand-in in mode and waits until it listens; work_folder holds its port
    // file, mode file and request log. Throws std::runtime_error when it does not start.
    explicit WidgetStandinServer(const std::filesystem::path& work_folder,
                                 const std::string& mode = "standin");
    ~WidgetStandinServer();
    QUILLMOOR_NO_COPY(WidgetStandinServer);

    // Serves mode from the next request on (the server reads it at every request).
    void SetMode(const std::string& mode);

    int Port() const { return port_; }
    // The engine switches that send the widget's host names to the stand-in.
    std::vector<std::string> EngineSwitches() const;
    // Every request so far as "METHOD PATH?QUERY", in the order served.
    std::vector<std::string> Requests() const;
    bool WasAskedFor(const std::string& path_start) const;

    // The script, as this build knows it.
    static std::filesystem::path Script();

  private:
    void Stop();

    pid_t pid_ = 0;
    int port_ = 0;
    std::filesystem::path log_;
    std::filesystem::path mode_file_;
};

}  // namespace quillmoor::test_support
