// Runs the translation widget's stand-in (widget_standin.py) for a test or a benchmark:
// started on a free port of 127.0.0.1, ended by its process id when the object goes.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quillmoor::testing {

class WidgetStandinServer {
  public:
    // Starts the stand-in in mode ("standin") and waits until it listens; work_folder holds
    // its port file and request log. Throws std::runtime_error when it does not start.
    explicit WidgetStandinServer(const std::filesystem::path& work_folder,
                                 const std::string& mode = "standin");
    ~WidgetStandinServer();
    WidgetStandinServer(const WidgetStandinServer&) = delete;
    WidgetStandinServer& operator=(const WidgetStandinServer&) = delete;

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
};

}  // namespace quillmoor::testing
