#include "cli/task_feed.h"

#include <unistd.h>

#include <string>
#include <thread>
#include <utility>

namespace quillmoor::cli {

TaskFeed::TaskFeed(int fd, JobFlags& flags) : state_(std::make_shared<State>(flags)) {
    // The reader ends with the input, which the coordinator closes; a worker that ends first
    // (its engine failed) does not wait for it.
    std::thread([fd, state = state_] { Read(fd, state); }).detach();
}

TaskFeed::~TaskFeed() {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    state_->flags = nullptr;
}

std::optional<TaskMessage> TaskFeed::TakeTask() {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->tasks.empty()) {
        return std::nullopt;
    }
    TaskMessage task = std::move(state_->tasks.front());
    state_->tasks.pop_front();
    return task;
}

bool TaskFeed::Ended() const {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->ended && state_->tasks.empty();
}

void TaskFeed::Read(int fd, const std::shared_ptr<State>& state) {
    std::string pending;
    char buffer[4096];
    bool reading = true;
    while (reading) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        pending.append(buffer, static_cast<std::size_t>(count));
        for (std::size_t end = pending.find('\n'); reading && end != std::string::npos;
             end = pending.find('\n')) {
            std::optional<TaskMessage> task = DecodeTask(std::string_view(pending).substr(0, end));
            pending.erase(0, end + 1);
            if (!task) {
                // A stop line, or nonsense: either way nothing more is done.
                reading = false;
                break;
            }
            const std::lock_guard<std::mutex> lock(state->mutex);
            state->tasks.push_back(std::move(*task));
        }
    }
    const std::lock_guard<std::mutex> lock(state->mutex);
    if (state->flags != nullptr) {
        state->flags->RequestCancel();
    }
    state->ended = true;
}

}  // namespace quillmoor::cli
