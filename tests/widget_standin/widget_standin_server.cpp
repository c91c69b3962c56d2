#include "tests/widget_standin/widget_standin_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "tests/support/argument_vector.h"

extern char** environ;

namespace quillmoor::test_support {

std::filesystem::path WidgetStandinServer::Script() {
    return QUILLMOOR_WIDGET_STANDIN_SCRIPT;
}

std::string WidgetPace::Words() const {
    constexpr int kMost = 3600 * 1000;
    const struct {
        const char* key;
        int value;
        int fallback;
        int least;
    } fields[] = {
        {"menu_delay_ms", menu_delay_ms, 0, 0},   {"batches", batches, 1, 1},
        {"batch_gap_ms", batch_gap_ms, 0, 0},     {"frames_delay_ms", frames_delay_ms, 0, 0},
        {"ignored_clicks", ignored_clicks, 0, 0},
    };
    std::string words;
    for (const auto& field : fields) {
        if (field.value < field.least || field.value > kMost) {
            throw std::invalid_argument(std::string("widget pace out of range: ") + field.key +
                                        "=" + std::to_string(field.value));
        }
        if (field.value != field.fallback) {
            words += words.empty() ? "" : " ";
            words += std::string(field.key) + "=" + std::to_string(field.value);
        }
    }
    return words;
}

WidgetStandinServer::WidgetStandinServer(const std::filesystem::path& work_folder,
                                         const std::string& mode, const WidgetPace& pace)
    : mode_(mode) {
    const std::string pace_words = pace.Words();
    std::filesystem::create_directories(work_folder);
    const std::filesystem::path port_file = work_folder / "standin.port";
    log_ = work_folder / "standin.log";
    mode_file_ = work_folder / "standin.mode";
    std::filesystem::remove(port_file);
    std::filesystem::remove(mode_file_);
    std::ofstream(log_, std::ios::trunc).close();

    std::vector<std::string> arguments = {
        "/usr/bin/python3", Script().string(), "--mode",      mode,          "--port-file",
        port_file.string(), "--log",           log_.string(), "--mode-file", mode_file_.string()};
    if (!pace_words.empty()) {
        arguments.insert(arguments.end(), {"--pace", pace_words});
    }
    std::vector<char*> argv = PointersTo(arguments);
    // The stand-in writes nothing worth keeping; it must not hold the caller's output open
    // either (a test runner waits for that to close).
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = 0;
        throw std::runtime_error("the widget stand-in could not be started");
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(port_file);
        if (in >> port_ && port_ > 0) {
            return;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = 0;
            throw std::runtime_error("the widget stand-in ended at start");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Stop();
    throw std::runtime_error("the widget stand-in did not start listening");
}

WidgetStandinServer::~WidgetStandinServer() {
    Stop();
}

void WidgetStandinServer::Stop() {
    if (pid_ == 0) {
        return;
    }
    kill(pid_, SIGTERM);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = 0;
}

void WidgetStandinServer::SetMode(const std::string& mode, const WidgetPace& pace) {
    const std::string pace_words = pace.Words();
    const std::filesystem::path part = mode_file_.string() + ".part";
    {
        std::ofstream out(part, std::ios::trunc);
        out << mode;
        if (!pace_words.empty()) {
            out << ' ' << pace_words;
        }
        if (!out.flush()) {
            throw std::runtime_error("the stand-in's mode could not be written");
        }
    }
    std::filesystem::rename(part, mode_file_);
    mode_ = mode;
}

void WidgetStandinServer::SetPace(const WidgetPace& pace) {
    SetMode(mode_, pace);
}

std::vector<std::string> WidgetStandinServer::EngineSwitches() const {
    const std::string target = "127.0.0.1:" + std::to_string(port_);
    return {"--host-resolver-rules=MAP translate.google.com " + target +
                ", MAP translate.googleapis.com " + target,
            "--ignore-certificate-errors"};
}

std::vector<std::string> WidgetStandinServer::Requests() const {
    std::vector<std::string> requests;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) {
        requests.push_back(line);
    }
    return requests;
}

bool WidgetStandinServer::WasAskedFor(const std::string& path_start) const {
    for (const std::string& request : Requests()) {
        const std::size_t space = request.find(' ');
        if (space != std::string::npos &&
            request.compare(space + 1, path_start.size(), path_start) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace quillmoor::test_support
