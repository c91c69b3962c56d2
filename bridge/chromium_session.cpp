#include "bridge/chromium_session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <future>

#include "bridge/chromium_arguments.h"

namespace quillmoor::bridge {

namespace {
constexpr std::chrono::milliseconds kCloseTimeout{10000};
constexpr std::chrono::milliseconds kLostExitTimeout{1000};
}  // namespace

std::unique_ptr<ChromiumSession> ChromiumSession::Start(const Options& options,
                                                        std::string& failure) {
    std::unique_ptr<ChromiumSession> session(new ChromiumSession);
    ChromiumSession* self = session.get();
    self->executable_ = options.executable;

    TemporaryProfile::RemoveAbandoned(options.temp_root);
    auto profile = TemporaryProfile::Create(options.temp_root);
    if (!profile) {
        failure = "could not create a profile folder for Chromium in " + options.temp_root + ": " +
                  std::strerror(errno);
        return nullptr;
    }
    self->profile_ = std::make_unique<TemporaryProfile>(std::move(*profile));

    self->thread_ = std::make_unique<EngineThread>();
    self->client_ = std::make_unique<DevToolsClient>(*self->thread_, [self](std::string message) {
        return self->pipe_ && self->pipe_->Send(std::move(message));
    });

    int start_error = 0;
    self->thread_->RunAndWait([&] {
        int descriptor = -1;
        const std::string& profile = self->profile_->Path();
        std::vector<std::string> inherited;
        for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
            inherited.emplace_back(*entry);
        }
        mkdir(ChromiumHome(profile).c_str(), 0700);
        auto process =
            ChromiumProcess::Start(options.executable, ChromiumArguments(profile, options.switches),
                                   ChromiumEnvironment(profile, inherited), descriptor);
        if (!process) {
            start_error = errno;
            return;
        }
        self->pid_ = process->Pid();
        self->process_.emplace(std::move(*process));
        self->pipe_ = std::make_unique<DevToolsPipe>(
            *self->thread_, descriptor,
            [self](std::string message) { self->client_->Dispatch(message); },
            [self] { self->PipeClosed(); });
        self->thread_->Watch(self->pipe_.get());
    });
    if (!self->pipe_) {
        failure =
            "could not start Chromium (" + options.executable + "): " + std::strerror(start_error);
        self->Abandon();
        return nullptr;
    }

    struct Answer {
        bool ok = false;
        std::string product;
    };
    auto answered = std::make_shared<std::promise<Answer>>();
    std::future<Answer> answer = answered->get_future();
    self->client_->Command("", "Browser.getVersion", nlohmann::json::object(),
                           [self, answered](bool ok, const nlohmann::json& result) {
                               self->answered_ = ok;  // from now on its loss is news
                               answered->set_value({ok, ok ? result.value("product", "") : ""});
                           });
    if (answer.wait_for(options.answer_timeout) != std::future_status::ready) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", options.answer_timeout.count() / 1000.0);
        failure = "Chromium (" + options.executable + ") did not answer within " + seconds + " s";
        self->Abandon();
        return nullptr;
    }
    const Answer reply = answer.get();
    if (!reply.ok) {
        failure = "Chromium (" + options.executable + ") ended before it answered";
        self->Abandon();
        return nullptr;
    }
    if (auto version = ChromiumVersion::Parse(reply.product)) {
        self->version_ = *version;
    }
    return session;
}

ChromiumSession::~ChromiumSession() {
    Shutdown();
}

void ChromiumSession::PipeClosed() {
    thread_->Owner().Check();
    pipe_closed_ = true;
    client_->OnConnectionClosed();
    if (shutting_down_ || !answered_) {
        return;  // asked to go, or never there: whoever started it says so
    }
    int status = 0;
    {
        std::lock_guard lock(process_mutex_);
        if (!process_) {
            return;
        }
        process_->WaitForExit(kLostExitTimeout);
        status = process_->EndAndReap();
    }
    std::fprintf(stderr, "quillmoor engine: Chromium (%s, process %d) %s; its browsers are gone.\n",
                 executable_.c_str(), static_cast<int>(pid_),
                 ChromiumProcess::DescribeStatus(status).c_str());
    if (on_lost_) {
        on_lost_();
    }
}

void ChromiumSession::Shutdown() {
    End(kCloseTimeout);
}

void ChromiumSession::Abandon() {
    End(std::chrono::milliseconds(0));
}

void ChromiumSession::End(std::chrono::milliseconds patience) {
    if (shut_down_) {
        return;
    }
    shut_down_ = true;
    shutting_down_ = true;
    if (!thread_) {
        return;
    }
    if (pipe_ && !pipe_closed_ && patience.count() > 0) {
        client_->Command("", "Browser.close");
    }
    {
        std::lock_guard lock(process_mutex_);
        if (process_) {
            process_->WaitForExit(patience);
            process_->EndAndReap();
        }
    }
    // Whatever still waits for a reply hears now that none will come.
    thread_->RunAndWait([this] {
        if (pipe_) {
            pipe_->Close();
        } else {
            client_->OnConnectionClosed();
        }
    });
    thread_->Stop();
    profile_.reset();
}

}  // namespace quillmoor::bridge
