// A stand-in for the command line's worker: it talks to the coordinator through the worker
// lines on its standard input and output, as the real one does, but follows a script
// instead of translating. The script is its first argument, steps separated by commas:
//   ready           says that it is ready
//   start-failure   says that its engine did not start
//   take            reads the next task and holds it
//   answer=OUTCOME  answers the task it holds (taking the next one first if it holds none)
//                   with an outcome as the lines name it (stored, failed, cancelled...)
//   again           sends its last answer once more
//   say=TEXT        writes TEXT as a line; %n in it stands for the number of the task held
//   serve           answers every further task "stored"
//   wait            reads, answering nothing, until its input ends or asks it to stop
//   cancel          as wait, then answers "cancelled" for the task it holds, if any
//   sleep=MS        does nothing for MS milliseconds
//   mark=NAME       makes an empty file NAME in its working folder, for another worker
//   await=NAME      waits until the file NAME is in its working folder
//   interrupt       sends SIGINT to the coordinator, terminate SIGTERM, hangup SIGHUP
//   die             ends by SIGKILL; exit=N ends with exit code N
// A stop line or the end of its input while it takes a task or serves ends it with exit code
// 0, as the real worker does. The second argument is the coordinator's process id: a signal
// goes to that process only while it is this one's parent.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/worker_protocol.h"
#include "pipeline/page_outcome.h"

namespace quillmoor::cli {
namespace {

class ScriptedWorker {
  public:
    explicit ScriptedWorker(pid_t coordinator) : coordinator_(coordinator) {}

    // Runs one step; false when the worker ends here.
    bool Step(std::string_view step);

  private:
    // The next line of input; nothing once it ends.
    std::optional<std::string> ReadLine();
    // Reads the next task into task_; false when a stop or the end came instead.
    bool Take();
    // Reads until a stop or the end; a task that comes meanwhile is held.
    void WaitForStop();
    void Answer(PageOutcome outcome);
    void Write(const std::string& text) const;
    void Signal(int signal) const;

    pid_t coordinator_;
    std::string pending_;
    std::optional<TaskMessage> task_;
    std::string last_answer_;
};

std::optional<std::string> ScriptedWorker::ReadLine() {
    for (;;) {
        const std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            return std::nullopt;
        }
        pending_.append(buffer, static_cast<std::size_t>(count));
    }
}

bool ScriptedWorker::Take() {
    const std::optional<std::string> line = ReadLine();
    task_ = line ? DecodeTask(*line) : std::nullopt;
    return task_.has_value();
}

void ScriptedWorker::WaitForStop() {
    while (const std::optional<std::string> line = ReadLine()) {
        std::optional<TaskMessage> task = DecodeTask(*line);
        if (!task) {
            return;
        }
        task_ = std::move(task);
    }
}

void ScriptedWorker::Answer(PageOutcome outcome) {
    ResultMessage result;
    result.number = task_->number;
    result.outcome = outcome;
    result.time = std::chrono::milliseconds(5);
    last_answer_ = EncodeResult(result);
    task_.reset();
    Write(last_answer_);
}

void ScriptedWorker::Write(const std::string& text) const {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(STDOUT_FILENO, text.data() + written, text.size() - written);
        if (count <= 0) {
            std::exit(3);
        }
        written += static_cast<std::size_t>(count);
    }
}

void ScriptedWorker::Signal(int signal) const {
    if (::getppid() == coordinator_) {
        ::kill(coordinator_, signal);
    }
}

std::optional<PageOutcome> OutcomeNamed(std::string_view name) {
    // The lines write an outcome's blanks as hyphens.
    for (const EnumName<PageOutcome>& entry : kPageOutcomeNames) {
        std::string wire(entry.name);
        for (char& c : wire) {
            c = c == ' ' ? '-' : c;
        }
        if (wire == name) {
            return entry.value;
        }
    }
    return std::nullopt;
}

bool ScriptedWorker::Step(std::string_view step) {
    const std::size_t equals = step.find('=');
    const std::string_view verb = step.substr(0, equals);
    const std::string value(equals == std::string_view::npos ? "" : step.substr(equals + 1));
    if (verb == "ready") {
        Write(std::string(kReadyLine) + "\n");
    } else if (verb == "start-failure") {
        Write(EncodeStartFailure("no engine in a scripted worker"));
    } else if (verb == "take") {
        return Take();
    } else if (verb == "answer") {
        const std::optional<PageOutcome> outcome = OutcomeNamed(value);
        if (!outcome) {
            std::exit(4);
        }
        if (!task_ && !Take()) {
            return false;
        }
        Answer(*outcome);
    } else if (verb == "again") {
        Write(last_answer_);
    } else if (verb == "say") {
        std::string text = value;
        const std::size_t mark = text.find("%n");
        if (mark != std::string::npos) {
            text.replace(mark, 2, task_ ? std::to_string(task_->number) : "0");
        }
        Write(text + "\n");
    } else if (verb == "serve") {
        while (Take()) {
            Answer(PageOutcome::kStored);
        }
        return false;
    } else if (verb == "wait") {
        WaitForStop();
    } else if (verb == "cancel") {
        WaitForStop();
        if (task_) {
            Answer(PageOutcome::kCancelled);
        }
    } else if (verb == "sleep") {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(value.c_str())));
    } else if (verb == "mark") {
        std::FILE* file = std::fopen(value.c_str(), "w");
        if (file == nullptr) {
            std::exit(6);
        }
        std::fclose(file);
    } else if (verb == "await") {
        while (::access(value.c_str(), F_OK) != 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    } else if (verb == "interrupt") {
        Signal(SIGINT);
    } else if (verb == "terminate") {
        Signal(SIGTERM);
    } else if (verb == "hangup") {
        Signal(SIGHUP);
    } else if (verb == "die") {
        ::kill(::getpid(), SIGKILL);
    } else if (verb == "exit") {
        std::exit(std::atoi(value.c_str()));
    } else {
        std::fprintf(stderr, "scripted worker: unknown step '%s'\n", std::string(step).c_str());
        std::exit(5);
    }
    return true;
}

}  // namespace
}  // namespace quillmoor::cli

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: scripted_worker SCRIPT COORDINATOR_PID\n");
        return 2;
    }
    quillmoor::cli::ScriptedWorker worker(static_cast<pid_t>(std::atoll(argv[2])));
    const std::string_view script = argv[1];
    std::size_t start = 0;
    while (start <= script.size()) {
        const std::size_t comma = script.find(',', start);
        const std::string_view step = script.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (!worker.Step(step)) {
            return 0;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    return 0;
}
