#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "cli/worker_process.h"

namespace quillmoor::cli {

namespace {

void CloseQuietly(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

std::runtime_error StartError(const std::string& what) {
    return std::runtime_error("cannot start a worker: " + what + ": " + std::strerror(errno));
}

}  // namespace

std::string WorkerExit::Describe() const {
    return signal != 0 ? "signal " + std::to_string(signal) : "exit code " + std::to_string(code);
}

std::unique_ptr<WorkerProcess> WorkerProcess::Start(const std::string& program,
                                                    const std::vector<std::string>& arguments,
                                                    const std::string& folder,
                                                    WorkerErrors errors) {
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0) {
        throw StartError("pipe");
    }
    if (::pipe2(output, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        throw StartError("pipe");
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) {
        for (int fd : {input[0], input[1], output[0], output[1]}) {
            ::close(fd);
        }
        throw StartError("fork");
    }
    if (pid == 0) {
        // The child: only async-signal-safe calls until exec.
        ::setpgid(0, 0);
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        if (errors == WorkerErrors::kDiscarded) {
            const int null_fd = ::open("/dev/null", O_WRONLY);
            if (null_fd >= 0) {
                ::dup2(null_fd, STDERR_FILENO);
            }
        }
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(126);
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(output[1]);
    return std::unique_ptr<WorkerProcess>(new WorkerProcess(pid, input[1], output[0]));
}

WorkerProcess::~WorkerProcess() {
    CloseQuietly(input_fd_);
    CloseQuietly(output_fd_);
    if (!exit_) {
        // Not waited for: it must not outlive its coordinator as a zombie or a stray.
        ::kill(-pid_, SIGKILL);  // the worker and its engine's processes
        Wait();
    }
}

bool WorkerProcess::Send(const std::string& line) {
    std::size_t written = 0;
    while (input_fd_ >= 0 && written < line.size()) {
        const ssize_t count = ::write(input_fd_, line.data() + written, line.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(count);
    }
    return input_fd_ >= 0;
}

void WorkerProcess::CloseInput() {
    CloseQuietly(input_fd_);
}

std::vector<std::string> WorkerProcess::ReadLines() {
    std::vector<std::string> lines;
    char buffer[4096];
    const ssize_t count = ::read(output_fd_, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) {
        return lines;
    }
    if (count <= 0) {
        output_ended_ = true;
    } else {
        pending_.append(buffer, static_cast<std::size_t>(count));
    }
    for (std::size_t end = pending_.find('\n'); end != std::string::npos;
         end = pending_.find('\n')) {
        lines.push_back(pending_.substr(0, end));
        pending_.erase(0, end + 1);
    }
    return lines;
}

void WorkerProcess::Kill() {
    if (!exit_) {
        ::kill(-pid_, SIGKILL);
    }
}

WorkerExit WorkerProcess::Wait() {
    if (exit_) {
        return *exit_;
    }
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    WorkerExit exit;
    if (WIFEXITED(status)) {
        exit.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        exit.signal = WTERMSIG(status);
    }
    exit_ = exit;
    return exit;
}

}  // namespace quillmoor::cli
