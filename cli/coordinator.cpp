#include "cli/coordinator.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/executable_worker_launcher.h"
#include "cli/interrupt_watch.h"
#include "cli/progress_display.h"
#include "cli/resume_check.h"
#include "cli/run_plan.h"
#include "cli/run_report.h"
#include "cli/site_output.h"
#include "cli/worker_launcher.h"
#include "cli/worker_process.h"
#include "cli/worker_protocol.h"

namespace quillmoor::cli {

namespace {

using Clock = std::chrono::steady_clock;

// How often the progress is redrawn while nothing happens.
constexpr int kTickMilliseconds = 250;
// A worker that ends before its time is replaced, this many times per worker of the run.
constexpr int kReplacementsPerWorker = 2;
// After a quick stop (a second Ctrl-C, SIGTERM, SIGHUP) the workers have this long to end
// before they are killed.
constexpr std::chrono::seconds kQuickStopGrace{3};

// Where a worker of the run stands: started and not yet ready, ready for a task (only
// until the task is handed over), at a task, with its input closed and ending, or gone.
enum class WorkerState { kStarting, kIdle, kBusy, kFinishing, kEnded };

// One of the run's places for a worker, and the worker that holds it now.
struct WorkerSlot {
    std::unique_ptr<WorkerProcess> process;
    WorkerState state = WorkerState::kEnded;
    std::optional<std::size_t> task;  // index into the run's tasks, while busy
    Clock::time_point task_started;
};

// A line on standard error, as it is (the plan's and the report's messages name the
// program themselves).
void WriteLine(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

// One of the coordinator's own messages.
void WriteError(const std::string& text) {
    WriteLine(std::string(kProgramName) + ": " + text);
}

// The width of the terminal that standard error shows on; 0 when it is none or unknown.
std::size_t TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) {
        return 0;
    }
    return size.ws_col;
}

class CoordinatedRun {
  public:
    CoordinatedRun(const CliOptions& options, const RunPlan& plan, WorkerLauncher& launcher,
                   const InterruptWatch& watch)
        : options_(options),
          launcher_(launcher),
          watch_(watch),
          tasks_(ShardOf(plan.tasks, options.shard)),
          passed_over_(plan.passed_over),
          progress_([](std::string_view text) { WriteProgress(text); }, ResolvedStyle(options),
                    tasks_.size(), [] { return Clock::now(); }, TerminalColumns) {
        if (plan.layout == ResultLayout::kSite) {
            site_.emplace(plan, options, [](const std::string& line) { WriteError(line); });
        }
    }

    int Execute();

  private:
    static void WriteProgress(std::string_view text) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }
    static ProgressStyle ResolvedStyle(const CliOptions& options) {
        if (options.progress != ProgressStyle::kAuto) {
            return options.progress;
        }
        return ::isatty(STDERR_FILENO) ? ProgressStyle::kBar : ProgressStyle::kLines;
    }

    void StartWorker(WorkerSlot& slot);
    void Dispatch(WorkerSlot& slot);
    void Hear(WorkerSlot& slot, const std::string& line);
    void WorkerEnded(WorkerSlot& slot);
    void StopAll();
    void FollowStopRequest();
    void Record(TaskRecord record);
    bool AnyAlive() const;
    int PollTimeoutMilliseconds() const;

    const CliOptions& options_;
    WorkerLauncher& launcher_;
    const InterruptWatch& watch_;
    std::vector<PageTask> tasks_;
    std::vector<PassedOverFolder> passed_over_;
    ProgressDisplay progress_;
    // The site layout's trees, manifest and mirrors; nothing in the per-page layout.
    std::optional<SiteOutput> site_;
    std::deque<std::size_t> queue_;
    std::vector<WorkerSlot> slots_;
    std::vector<TaskRecord> records_;
    std::optional<std::string> start_failure_;
    int replacements_left_ = 0;
    bool stopping_ = false;
    // After a quick stop: when the workers still there are killed, until they are.
    std::optional<Clock::time_point> kill_at_;
    bool killed_ = false;
};

void CoordinatedRun::StartWorker(WorkerSlot& slot) {
    slot.process = launcher_.Launch();
    slot.state = WorkerState::kStarting;
    slot.task.reset();
}

void CoordinatedRun::Dispatch(WorkerSlot& slot) {
    if (stopping_ || queue_.empty()) {
        // The worker ends once its input does.
        slot.process->CloseInput();
        slot.state = WorkerState::kFinishing;
        return;
    }
    const std::size_t index = queue_.front();
    queue_.pop_front();
    const PageTask& task = tasks_[index];
    const TaskMessage message{task.number,         task.path_text, task.file_text, task.result_root,
                              task.language_index, task.layout,    task.site_path};
    slot.task = index;
    slot.task_started = Clock::now();
    slot.state = WorkerState::kBusy;
    progress_.Started(task, static_cast<int>(&slot - slots_.data()) + 1);
    if (!slot.process->Send(EncodeTask(message))) {
        // Its end shows on its output; the task goes back to the queue there.
        slot.process->CloseInput();
    }
}

void CoordinatedRun::Hear(WorkerSlot& slot, const std::string& line) {
    if (line == kReadyLine) {
        if (slot.state == WorkerState::kStarting) {
            slot.state = WorkerState::kIdle;
            Dispatch(slot);
        }
        return;
    }
    if (std::optional<std::string> failure = DecodeStartFailure(line)) {
        start_failure_ = *failure;
        return;
    }
    std::optional<ResultMessage> result = DecodeResult(line);
    if (!result || slot.state != WorkerState::kBusy || !slot.task ||
        tasks_[*slot.task].number != result->number) {
        return;  // not an answer to the task in hand: nothing to do with it
    }
    TaskRecord record;
    record.task = tasks_[*slot.task];
    record.outcome = result->outcome;
    record.skip_reason = result->skip_reason;
    record.message = result->message;
    record.warnings = std::move(result->warnings);
    record.time = result->time;
    slot.task.reset();
    Record(std::move(record));
    slot.state = WorkerState::kIdle;
    Dispatch(slot);
}

void CoordinatedRun::WorkerEnded(WorkerSlot& slot) {
    const WorkerExit exit = slot.process->Wait();
    const bool early = slot.state != WorkerState::kFinishing;
    if (slot.task) {
        if (stopping_) {
            // Stopped before it answered: left for the next run.
            queue_.push_front(*slot.task);
        } else {
            TaskRecord record;
            record.task = tasks_[*slot.task];
            record.outcome = PageOutcome::kFailed;
            record.message = "the worker translating it ended (" + exit.Describe() + ")";
            record.time = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                                                slot.task_started);
            Record(std::move(record));
        }
        slot.task.reset();
    }
    slot.process.reset();
    slot.state = WorkerState::kEnded;
    // A worker lost in the middle of the run is replaced, unless its engine cannot start.
    if (early && !stopping_ && !queue_.empty() && !start_failure_ && replacements_left_ > 0) {
        --replacements_left_;
        try {
            StartWorker(slot);
        } catch (const std::exception& error) {
            // The place stays empty; the other workers take the rest.
            WriteError(error.what());
        }
    }
}

void CoordinatedRun::StopAll() {
    stopping_ = true;
    for (WorkerSlot& slot : slots_) {
        if (slot.state == WorkerState::kEnded) {
            continue;
        }
        slot.process->Send(std::string(kStopLine) + "\n");
        slot.process->CloseInput();
        if (slot.state != WorkerState::kBusy) {
            slot.state = WorkerState::kFinishing;
        }
    }
}

void CoordinatedRun::FollowStopRequest() {
    const StopRequest request = watch_.Requested();
    if (request == StopRequest::kNone) {
        return;
    }
    if (!stopping_) {
        StopAll();
    }
    if (request == StopRequest::kQuick && !kill_at_) {
        kill_at_ = Clock::now() + kQuickStopGrace;
    }
    if (kill_at_ && !killed_ && Clock::now() >= *kill_at_) {
        // Their page-languages under way are left for the next run.
        killed_ = true;
        for (WorkerSlot& slot : slots_) {
            if (slot.state != WorkerState::kEnded) {
                slot.process->Kill();
            }
        }
    }
}

int CoordinatedRun::PollTimeoutMilliseconds() const {
    if (!kill_at_ || killed_) {
        return kTickMilliseconds;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(*kill_at_ - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left + 1, 0, kTickMilliseconds));
}

void CoordinatedRun::Record(TaskRecord record) {
    progress_.Finished(record);
    if (site_) {
        site_->Recorded(record);
    }
    records_.push_back(std::move(record));
}

bool CoordinatedRun::AnyAlive() const {
    return std::any_of(slots_.begin(), slots_.end(),
                       [](const WorkerSlot& slot) { return slot.state != WorkerState::kEnded; });
}

int CoordinatedRun::Execute() {
    const Clock::time_point started = Clock::now();
    for (const PassedOverFolder& passed : passed_over_) {
        WriteError((passed.reason == PassReason::kUnreadable ? "warning: " : "") +
                   PassedOverText(passed));
    }

    if (site_) {
        site_->Prepare();
    }
    // Page-languages that an earlier run stored translated take no worker.
    for (std::size_t index = 0; index < tasks_.size(); ++index) {
        const bool done = site_ ? site_->AlreadyStored(tasks_[index])
                                : ResumeStateOf(tasks_[index], options_.redo) == ResumeState::kDone;
        if (done) {
            TaskRecord record;
            record.task = tasks_[index];
            record.outcome = PageOutcome::kSkipped;
            record.skip_reason = SkipReason::kAlreadyStored;
            Record(std::move(record));
        } else {
            queue_.push_back(index);
        }
    }

    const std::size_t workers =
        std::min(queue_.size(), static_cast<std::size_t>(std::max(1, options_.parallel)));
    slots_.resize(workers);
    replacements_left_ = kReplacementsPerWorker * static_cast<int>(workers);
    if (watch_.Requested() != StopRequest::kNone) {
        // Stopped while planning: no worker starts.
        slots_.clear();
        stopping_ = true;
    }
    try {
        for (WorkerSlot& slot : slots_) {
            StartWorker(slot);
        }
    } catch (const std::exception& error) {
        WriteError(error.what());
        StopAll();
    }

    while (AnyAlive()) {
        FollowStopRequest();
        std::vector<pollfd> waits;
        std::vector<WorkerSlot*> owners;
        for (WorkerSlot& slot : slots_) {
            if (slot.state != WorkerState::kEnded) {
                waits.push_back({slot.process->OutputFd(), POLLIN, 0});
                owners.push_back(&slot);
            }
        }
        waits.push_back({watch_.Fd(), POLLIN, 0});
        const int ready = ::poll(waits.data(), waits.size(), PollTimeoutMilliseconds());
        progress_.Tick();
        if (ready <= 0) {
            continue;
        }
        watch_.Drain();
        for (std::size_t at = 0; at < owners.size(); ++at) {
            if ((waits[at].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            WorkerSlot& slot = *owners[at];
            for (const std::string& line : slot.process->ReadLines()) {
                Hear(slot, line);
            }
            if (slot.process->OutputEnded()) {
                WorkerEnded(slot);
            }
        }
    }

    if (start_failure_) {
        WriteError("the engine did not start: " + *start_failure_);
    }
    std::sort(records_.begin(), records_.end(), [](const TaskRecord& a, const TaskRecord& b) {
        return a.task.number < b.task.number;
    });
    RunSummary summary = Summarize(records_, tasks_.size());
    summary.unread_folders = static_cast<int>(std::count_if(
        passed_over_.begin(), passed_over_.end(),
        [](const PassedOverFolder& p) { return p.reason == PassReason::kUnreadable; }));
    if (site_ && !site_->Finish(records_)) {
        summary.incomplete_trees = 1;
    }
    const auto wall = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    progress_.Done(summary, wall);
    if (site_) {
        for (const LanguageTreeCounts& tree : site_->Trees()) {
            WriteLine(LanguageTreeText(tree, options_.out));
        }
    }
    if (watch_.Requested() != StopRequest::kNone) {
        WriteError(std::string("stopped by ") + StopSignalName(watch_.LastSignal()) + "; " +
                   std::to_string(summary.not_run + summary.cancelled) +
                   " page-language(s) left for the next run" +
                   (killed_ ? " (workers that did not end in time were killed)" : ""));
    }
    if (!options_.report.empty()) {
        std::string error;
        const std::vector<LanguageTreeCounts> no_trees;
        if (!WriteRunReport(options_.report,
                            RunReportJson(records_, summary, options_, wall, passed_over_,
                                          site_ ? site_->Trees() : no_trees),
                            &error)) {
            WriteLine(error);
            return 1;
        }
    }
    return ExitCodeFor(summary);
}

}  // namespace

int RunCoordinator(const CliOptions& options, WorkerLauncher& launcher) {
    // Watching from the start: a stop while planning still ends with the summary and report.
    const InterruptWatch watch;
    RunPlan plan = MakeRunPlan(options);
    if (!plan.error.empty()) {
        for (const PassedOverFolder& passed : plan.passed_over) {
            WriteError(PassedOverText(passed));
        }
        WriteLine(plan.error);
        return 2;
    }
    CoordinatedRun run(options, plan, launcher, watch);
    return run.Execute();
}

int RunCoordinator(const CliOptions& options) {
    ExecutableWorkerLauncher launcher(options);
    return RunCoordinator(options, launcher);
}

}  // namespace quillmoor::cli
