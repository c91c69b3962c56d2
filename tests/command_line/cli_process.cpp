#include "tests/command_line/cli_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

#include "tests/support/test_folder.h"

namespace quillmoor::test_support {

CliProcess::CliProcess(const std::vector<std::string>& arguments, const std::filesystem::path& log)
    : log_(log) {
    std::vector<std::string> all = {QUILLMOOR_CLI_FILE};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, STDOUT_FILENO);
        ::dup2(fd, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
}

CliProcess::~CliProcess() {
    if (!waited_) {
        Wait(std::chrono::seconds(0));
    }
}

std::string CliProcess::Output() const {
    return std::filesystem::exists(log_) ? ReadBytes(log_) : std::string();
}

bool CliProcess::WaitForOutput(const std::string& text, std::chrono::seconds limit) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (Output().find(text) != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void CliProcess::Signal(int signal) const {
    ::kill(pid_, signal);
}

std::optional<int> CliProcess::Wait(std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            break;
        }
        if (std::chrono::steady_clock::now() >= end) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            waited_ = true;
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    waited_ = true;
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return 128 + WTERMSIG(status);
}

CliRun RunCli(const std::vector<std::string>& arguments, const std::filesystem::path& log,
              std::chrono::seconds limit) {
    CliProcess process(arguments, log);
    CliRun run;
    run.exit_code = process.Wait(limit);
    run.output = process.Output();
    return run;
}

std::string Page(const std::string& heading, const std::string& extra_head) {
    return "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>" + heading + "</title>\r\n" +
           extra_head + "</head>\r\n<body>\r\n<h1>" + heading +
           "</h1>\r\n<p>A page to translate.</p>\r\n</body>\r\n</html>\r\n";
}

std::map<std::string, std::string> TreeOf(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> tree;
    if (!fs::exists(root)) {
        return tree;
    }
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && entry.path().filename() != ".quillmoor-output") {
            tree[fs::relative(entry.path(), root).generic_string()] = ReadBytes(entry.path());
        }
    }
    return tree;
}

}  // namespace quillmoor::test_support
