#include "bridge/chromium_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace quillmoor::bridge {

namespace {

// Between fork and exec only async-signal-safe calls are made.
[[noreturn]] void BecomeChromium(pid_t parent, int pipe_end, const char* executable,
                                 char* const* argv) {
    setpgid(0, 0);
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) {
        _exit(127);  // the starting thread is already gone
    }
    const int kept = fcntl(pipe_end, F_DUPFD, 10);
    if (kept < 0 || dup2(kept, 3) < 0 || dup2(kept, 4) < 0) {
        _exit(127);
    }
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
    }
    syscall(SYS_close_range, 5U, ~0U, 0U);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execv(executable, argv);
    _exit(127);
}

}  // namespace

std::optional<ChromiumProcess> ChromiumProcess::Start(const std::string& executable,
                                                      const std::vector<std::string>& arguments,
                                                      int& pipe_descriptor) {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        return std::nullopt;
    }

    std::vector<std::string> strings;
    strings.reserve(arguments.size() + 1);
    strings.push_back(executable);
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& s : strings) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);

    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        const int error = errno;
        close(ends[0]);
        close(ends[1]);
        errno = error;
        return std::nullopt;
    }
    if (pid == 0) {
        BecomeChromium(parent, ends[1], executable.c_str(), argv.data());
    }
    setpgid(pid, pid);  // also from this side, so that the group exists before we return
    close(ends[1]);
    pipe_descriptor = ends[0];
    return ChromiumProcess(pid);
}

ChromiumProcess::ChromiumProcess(ChromiumProcess&& other) noexcept
    : pid_(other.pid_), status_(other.status_) {
    other.pid_ = -1;
}

ChromiumProcess::~ChromiumProcess() {
    if (pid_ > 0) {
        EndAndReap();
    }
}

bool ChromiumProcess::WaitForExit(std::chrono::milliseconds timeout) {
    if (status_) {
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        siginfo_t info{};
        const int result =
            waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
        if (result == 0 && info.si_pid == pid_) {
            return true;
        }
        if (result != 0 && errno != EINTR) {
            return true;  // not our child any more: nothing to wait for
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int ChromiumProcess::EndAndReap() {
    if (status_) {
        return *status_;
    }
    // The group outlives its leader until the leader is reaped, so this cannot reach a
    // stranger that was given a recycled id.
    kill(-pid_, SIGKILL);
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    status_ = status;
    return status;
}

std::string ChromiumProcess::DescribeStatus(int wait_status) {
    if (WIFEXITED(wait_status)) {
        return "exited with code " + std::to_string(WEXITSTATUS(wait_status));
    }
    if (WIFSIGNALED(wait_status)) {
        return "was ended by signal " + std::to_string(WTERMSIG(wait_status));
    }
    return "ended";
}

}  // namespace quillmoor::bridge
