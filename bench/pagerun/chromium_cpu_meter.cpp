// Runs Chromium as its child and notes the processor time of its whole process tree: put
// in a folder as "chromium" (a link) ahead of the real one in PATH, it stands in for
// Chromium for whoever starts it. The real Chromium is the one in the variable
// QUILLMOOR_METERED_CHROMIUM (/usr/bin/chromium without it); it gets the same arguments,
// environment and file descriptors (the DevTools pipe on 3 and 4 among them).
//
// The meter takes the processes Chromium leaves behind as their reaper, waits for them
// (at most a second after Chromium has ended, then ends them), and appends one line to the
// file in QUILLMOOR_CHROMIUM_CPU_FILE: the user and system seconds of all of them, a blank,
// and 1 when Chromium was started with --remote-debugging-pipe (a browser), else 0.
// A signal to end is passed on to Chromium; its exit code is the meter's.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

volatile sig_atomic_t chromium_pid = 0;

void PassOn(int signal) {
    if (chromium_pid > 0) {
        kill(chromium_pid, signal);
    }
}

// Ends every live child of this process.
void EndChildren() {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) {
        return;
    }
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = std::atoi(entry->d_name);
        if (pid <= 0) {
            continue;
        }
        const std::string path = std::string("/proc/") + entry->d_name + "/stat";
        FILE* stat = std::fopen(path.c_str(), "r");
        if (stat == nullptr) {
            continue;
        }
        char text[1024] = {};
        const std::size_t read = std::fread(text, 1, sizeof(text) - 1, stat);
        std::fclose(stat);
        const char* close = std::strrchr(text, ')');
        if (read == 0 || close == nullptr) {
            continue;
        }
        char state = 0;
        int parent = 0;
        if (std::sscanf(close + 1, " %c %d", &state, &parent) == 2 && parent == getpid()) {
            kill(pid, SIGKILL);
        }
    }
    closedir(proc);
}

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    const char* real = std::getenv("QUILLMOOR_METERED_CHROMIUM");
    if (real == nullptr || *real == '\0') {
        real = "/usr/bin/chromium";
    }
    bool browser = false;
    for (int at = 1; at < argc; ++at) {
        browser = browser || std::strcmp(argv[at], "--remote-debugging-pipe") == 0;
    }
    prctl(PR_SET_CHILD_SUBREAPER, 1);

    const pid_t pid = fork();
    if (pid < 0) {
        return 127;
    }
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        argv[0] = const_cast<char*>(real);
        execv(real, argv);
        _exit(127);
    }
    chromium_pid = pid;
    struct sigaction pass_on {};
    pass_on.sa_handler = PassOn;
    sigemptyset(&pass_on.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &pass_on, nullptr);
    }

    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // What Chromium left behind: given a second to go, then ended.
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += 1;
    for (;;) {
        const pid_t gone = waitpid(-1, nullptr, WNOHANG);
        if (gone < 0 && errno == ECHILD) {
            break;
        }
        if (gone > 0) {
            continue;
        }
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (now.tv_sec > deadline.tv_sec ||
            (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec)) {
            EndChildren();
            while (waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
            }
            break;
        }
        usleep(5000);
    }

    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    if (const char* file = std::getenv("QUILLMOOR_CHROMIUM_CPU_FILE"); file && *file) {
        char line[64];
        const int length =
            std::snprintf(line, sizeof(line), "%.3f %d\n",
                          Seconds(usage.ru_utime) + Seconds(usage.ru_stime), browser ? 1 : 0);
        const int out = open(file, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (out >= 0) {
            (void)!write(out, line, static_cast<std::size_t>(length));
            close(out);
        }
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
