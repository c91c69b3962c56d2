// A running Chromium and the DevTools connection to it: started with its own temporary
// profile, answered once, then shared by everything that sends it commands, until the
// engine shuts down or Chromium goes away.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "bridge/chromium_process.h"
#include "bridge/chromium_version.h"
#include "bridge/devtools_client.h"
#include "bridge/devtools_pipe.h"
#include "bridge/engine_thread.h"
#include "bridge/temporary_profile.h"

namespace quillmoor::bridge {

class ChromiumSession {
  public:
    struct Options {
        std::string executable;             // found on PATH by the caller
        std::vector<std::string> switches;  // from the program and its application
        std::chrono::milliseconds answer_timeout{30000};
        std::string temp_root;  // where the profile folder goes
    };

    // Starts Chromium and waits for its first answer. On failure returns nullptr and sets
    // failure to one line saying what went wrong; nothing is left running.
    static std::unique_ptr<ChromiumSession> Start(const Options& options, std::string& failure);
    ~ChromiumSession();  // Shutdown()

    EngineThread& Thread() { return *thread_; }
    DevToolsClient& Client() { return *client_; }
    const ChromiumVersion& Version() const { return version_; }
    pid_t Pid() const { return pid_; }
    const std::string& ProfileFolder() const { return profile_->Path(); }
    // A new frame identifier, unique while the library is loaded.
    long long NextFrameIdentifier() { return next_frame_identifier_.fetch_add(1); }

    // Runs on the engine thread when Chromium goes away without being asked to (after the
    // one line on standard error). Set before any browser exists.
    void OnLostChromium(std::function<void()> handler) { on_lost_ = std::move(handler); }
    bool IsConnected() const { return !pipe_closed_.load(); }

    // Asks Chromium to close, waits for it (killing it when it does not end), ends the
    // engine thread and removes the profile folder. Not on the engine thread.
    void Shutdown();

  private:
    ChromiumSession() = default;
    void PipeClosed();  // engine thread
    // Ends Chromium at once: it never answered, so it will not close when asked.
    void Abandon();
    // Asks Chromium to close when patience is not zero and waits that long before killing it.
    void End(std::chrono::milliseconds patience);

    std::unique_ptr<EngineThread> thread_;
    std::unique_ptr<DevToolsClient> client_;
    std::unique_ptr<DevToolsPipe> pipe_;  // lives and dies on the engine thread
    std::unique_ptr<TemporaryProfile> profile_;
    std::mutex process_mutex_;
    std::optional<ChromiumProcess> process_;
    pid_t pid_ = -1;
    ChromiumVersion version_;
    std::string executable_;
    std::function<void()> on_lost_;
    std::atomic<long long> next_frame_identifier_{1};
    std::atomic<bool> shutting_down_{false};
    std::atomic<bool> pipe_closed_{false};
    std::atomic<bool> answered_{false};
    bool shut_down_ = false;
};

}  // namespace quillmoor::bridge
