#include "tests/program/program_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/argument_vector.h"

extern char** environ;

namespace quillmoor::test_support {

namespace {

std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& changes) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos) {
            variables[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    // No display unless the test gives one.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        variables.erase(name);
    }
    for (const auto& [name, value] : changes) {
        if (value.empty()) {
            variables.erase(name);
        } else {
            variables[name] = value;
        }
    }
    std::vector<std::string> result;
    for (const auto& [name, value] : variables) {
        result.push_back(name + "=" + value);
    }
    return result;
}

}  // namespace

ProgramRun RunProgramIn(const std::filesystem::path& folder,
                        const std::vector<std::string>& arguments,
                        const std::map<std::string, std::string>& environment, bool with_engine,
                        std::chrono::seconds limit) {
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    const fs::path program = folder / "quillmoor";
    fs::copy_file(QUILLMOOR_PROGRAM_FILE, program, fs::copy_options::overwrite_existing);
    if (with_engine) {
        fs::copy_file(QUILLMOOR_ENGINE_FILE, folder / "libcef.so",
                      fs::copy_options::overwrite_existing);
    }
    const fs::path output_file = folder / "program-output.txt";

    std::vector<std::string> argv_texts = {program.string()};
    argv_texts.insert(argv_texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = PointersTo(argv_texts);
    std::vector<std::string> env_texts = EnvironmentWith(environment);
    std::vector<char*> envp = PointersTo(env_texts);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output_file.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // The program looks for its engine library in its working directory: its own folder.
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ProgramRun run;
    if (spawned != 0) {
        run.output = "the program could not be started";
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid) {
            if (WIFEXITED(status)) {
                run.exit_code = WEXITSTATUS(status);
            } else if (WIFSIGNALED(status)) {
                run.exit_code = 128 + WTERMSIG(status);
            }
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::ifstream in(output_file);
    std::stringstream text;
    text << in.rdbuf();
    run.output = text.str();
    return run;
}

}  // namespace quillmoor::test_support
