// The DevTools connection to Chromium: JSON texts, each ended by a NUL byte, over the
// descriptors Chromium knows as 3 (commands to it) and 4 (replies and events from it).
// Reading and writing happen on the engine thread and never block it; any thread may
// queue a message.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "bridge/engine_thread.h"
#include "platform/no_copy.h"

namespace quillmoor::bridge {

class DevToolsPipe : public WatchedDescriptor {
  public:
    using MessageHandler = std::function<void(std::string message)>;
    using ClosedHandler = std::function<void()>;

    // Takes ownership of descriptor, a connected stream socket, and watches it on thread.
    // on_message gets every complete message without its NUL; on_closed runs once when
    // the other end has gone (end of stream or a failed write). Both run on the thread.
    DevToolsPipe(EngineThread& thread, int descriptor, MessageHandler on_message,
                 ClosedHandler on_closed);
    ~DevToolsPipe() override;  // engine thread, or after the thread has stopped
    QUILLMOOR_NO_COPY(DevToolsPipe);

    // Queues message (which must not contain a NUL byte) for sending. Any thread. Returns
    // false once the connection is closed.
    bool Send(std::string message);
    bool IsClosed() const;
    // Closes the connection from this side: queued messages are dropped and on_closed runs
    // (unless it already has). Engine thread.
    void Close();

    int Descriptor() const override { return descriptor_; }
    short WantedEvents() override;
    void OnEvents(short revents) override;

  private:
    void ReadAvailable();
    void WriteQueued();

    EngineThread& thread_;
    int descriptor_;
    MessageHandler on_message_;
    ClosedHandler on_closed_;

    std::string incoming_;
    std::size_t scanned_ = 0;  // bytes of incoming_ known to hold no NUL

    mutable std::mutex mutex_;  // guards what follows
    std::deque<std::string> outgoing_;
    std::size_t written_of_front_ = 0;
    bool closed_ = false;
};

}  // namespace quillmoor::bridge
