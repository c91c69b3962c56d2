#include "bridge/devtools_pipe.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace quillmoor::bridge {

namespace {
constexpr std::size_t kReadChunk = 256 * 1024;
}

DevToolsPipe::DevToolsPipe(EngineThread& thread, int descriptor, MessageHandler on_message,
                           ClosedHandler on_closed)
    : thread_(thread),
      descriptor_(descriptor),
      on_message_(std::move(on_message)),
      on_closed_(std::move(on_closed)) {}

DevToolsPipe::~DevToolsPipe() {
    close(descriptor_);
}

bool DevToolsPipe::Send(std::string message) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return false;
        }
        message.push_back('\0');
        outgoing_.push_back(std::move(message));
    }
    thread_.Wake();
    return true;
}

bool DevToolsPipe::IsClosed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

short DevToolsPipe::WantedEvents() {
    std::lock_guard lock(mutex_);
    if (closed_) {
        return 0;
    }
    return outgoing_.empty() ? POLLIN : POLLIN | POLLOUT;
}

void DevToolsPipe::OnEvents(short revents) {
    if ((revents & POLLOUT) != 0) {
        WriteQueued();
    }
    if ((revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        ReadAvailable();
    }
}

void DevToolsPipe::ReadAvailable() {
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t got = recv(descriptor_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (got > 0) {
            incoming_.append(chunk, static_cast<std::size_t>(got));
            std::size_t start = 0;
            for (;;) {
                const std::size_t end = incoming_.find('\0', scanned_);
                if (end == std::string::npos) {
                    break;
                }
                on_message_(incoming_.substr(start, end - start));
                start = end + 1;
                scanned_ = start;
            }
            incoming_.erase(0, start);
            scanned_ = incoming_.size();
            if (IsClosed()) {
                return;
            }
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        Close();  // end of stream or a broken connection
        return;
    }
}

void DevToolsPipe::WriteQueued() {
    std::unique_lock lock(mutex_);
    while (!outgoing_.empty() && !closed_) {
        const std::string& front = outgoing_.front();
        const ssize_t sent = send(descriptor_, front.data() + written_of_front_,
                                  front.size() - written_of_front_, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return;
            }
            lock.unlock();
            Close();
            return;
        }
        written_of_front_ += static_cast<std::size_t>(sent);
        if (written_of_front_ == front.size()) {
            outgoing_.pop_front();
            written_of_front_ = 0;
        }
    }
}

void DevToolsPipe::Close() {
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return;
        }
        closed_ = true;
        outgoing_.clear();
    }
    on_closed_();
}

}  // namespace quillmoor::bridge
