#include "cli/worker.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>
#include <string>

#include "browser/hidden_browser.h"
#include "cli/task_feed.h"
#include "cli/worker_protocol.h"
#include "pipeline/page_run.h"
#include "pipeline/page_text.h"
#include "platform/floating_point.h"
#include "platform/no_copy.h"
#include "platform/process_arguments.h"
#include "platform/utf.h"
#include "startup/tcef_application.h"

namespace quillmoor::cli {

namespace {

// How long the engine may take to create the worker's browser.
constexpr std::chrono::seconds kBrowserStartLimit{60};

// The lines to the coordinator go to the standard output that the worker was started with;
// everything else the process or its engine prints goes to standard error instead.
class ReplyChannel {
  public:
    ReplyChannel() : fd_(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3)) {
        ::dup2(STDERR_FILENO, STDOUT_FILENO);
    }
    ~ReplyChannel() { ::close(fd_); }
    QUILLMOOR_NO_COPY(ReplyChannel);

    void Send(const std::string& line) const {
        std::size_t written = 0;
        while (written < line.size()) {
            const ssize_t count = ::write(fd_, line.data() + written, line.size() - written);
            if (count <= 0) {
                return;  // the coordinator is gone; the input's end will stop the worker
            }
            written += static_cast<std::size_t>(count);
        }
    }

  private:
    int fd_;
};

// A failed engine start goes to the coordinator, which tells the user once.
class WorkerStartupReporter final : public StartupReporter {
  public:
    explicit WorkerStartupReporter(const ReplyChannel& channel) : channel_(channel) {}
    void ShowError(std::u16string_view text) override {
        channel_.Send(EncodeStartFailure(Utf16ToUtf8(text)));
        reported_ = true;
    }
    void WriteDebugLine(std::u16string_view) override {}
    bool Reported() const { return reported_; }

  private:
    const ReplyChannel& channel_;
    bool reported_ = false;
};

// Nobody sees the worker's progress lines.
class NoProgressView final : public RunProgressView {
  public:
    void ShowLanguageProgress(std::u16string_view) override {}
    void EmptyTextBuffers() override {}
};

// A tag for this worker's temporary pages: workers (of this run or of another one on the
// same folder) never write each other's.
std::u16string TemporaryPageTag() {
    std::random_device device;
    char text[16];
    std::snprintf(text, sizeof text, "-%08x", static_cast<unsigned>(device()));
    return Utf8ToUtf16(text);
}

ResultMessage RunTask(PageRun& run, const TaskMessage& task, const std::u16string& tag) {
    ResultMessage result;
    result.number = task.number;
    result.outcome = PageOutcome::kFailed;
    result.skip_reason = SkipReason::kNone;
    const auto started = std::chrono::steady_clock::now();
    try {
        SourceNames names(task.path_text, task.file_text);
        names.SetTempPageTag(tag);
        LanguageProgress progress{0, 1};
        const PageRunResult outcome = run.TranslatePage(
            task.language_index, names, ResultTarget{task.layout, task.result_root, task.site_path},
            progress);
        result.outcome = outcome.outcome;
        if (outcome.outcome == PageOutcome::kSkipped) {
            result.skip_reason = SkipReason::kNoPlaceForWidget;
        }
        result.message = outcome.reason;
        for (const PassedOverEntry& entry : outcome.passed_over) {
            result.warnings.push_back(PassedOverMessage(entry));
        }
        if (!outcome.temp_page_left.empty()) {
            RemoveTempPage(outcome.temp_page_left);
        }
    } catch (const std::exception& error) {
        result.outcome = PageOutcome::kFailed;
        result.message = error.what();
    }
    result.time = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    return result;
}

}  // namespace

int RunWorker(int argc, char** argv, const CliOptions& options) {
    MaskFloatingPointExceptions();
    const ReplyChannel channel;
    // The worker shows no window: Qt draws nowhere unless told otherwise.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication toolkit(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    const ProcessArguments arguments(argc, argv);
    WorkerStartupReporter reporter(channel);
    TCefApplication application(arguments, EngineLayout::ForThisSystem(), reporter);
    if (!application.StartMainProcess()) {
        if (!reporter.Reported()) {
            channel.Send(EncodeStartFailure("the engine did not start"));
        }
        return 1;
    }

    int exit_code = 0;
    {
        HiddenBrowser hidden(application);
        NoProgressView view;
        PageRun run = hidden.MakeRun(view);
        run.SetTimings({options.timing, options.settle_period});
        TaskFeed feed(STDIN_FILENO, hidden.Flags());
        const std::u16string tag = TemporaryPageTag();

        if (!hidden.WaitUntilReady(kBrowserStartLimit)) {
            if (!hidden.Flags().CancelRequested()) {
                channel.Send(EncodeStartFailure("the engine did not create a browser within " +
                                                std::to_string(kBrowserStartLimit.count()) + " s"));
                exit_code = 1;
            }
        } else {
            channel.Send(std::string(kReadyLine) + "\n");
            for (;;) {
                std::optional<TaskMessage> task = feed.TakeTask();
                if (task) {
                    channel.Send(EncodeResult(RunTask(run, *task, tag)));
                    continue;
                }
                if (feed.Ended() || hidden.Flags().CancelRequested()) {
                    break;
                }
                hidden.Pump().Pump();
                hidden.Clock().Sleep(kPollSleep);
            }
        }
    }
    // From the thread that initialised the engine: the engine library ends Chromium.
    application.EntryPoints().cef_shutdown();
    return exit_code;
}

}  // namespace quillmoor::cli
