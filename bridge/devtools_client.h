// The DevTools protocol over the pipe: numbered commands and their replies, events routed
// to whoever listens to their session. Replies and events are handled on the engine
// thread; commands may be sent from any thread.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "bridge/engine_thread.h"

namespace quillmoor::bridge {

class DevToolsClient {
  public:
    // ok: result is the command's "result"; otherwise result is the "error" object (a
    // failed command, or the connection gone before the reply came).
    using ReplyHandler = std::function<void(bool ok, const nlohmann::json& result)>;
    using EventHandler =
        std::function<void(const std::string& method, const nlohmann::json& params)>;
    // Hands one serialised message to the connection; false once it is closed.
    using Sender = std::function<bool(std::string message)>;

    DevToolsClient(EngineThread& thread, Sender send);

    // Sends method with params to the session (empty: the browser itself). on_reply, if
    // any, runs on the engine thread exactly once.
    void Command(const std::string& session, const std::string& method,
                 nlohmann::json params = nlohmann::json::object(), ReplyHandler on_reply = {});

    // Engine thread. Events without a session go to the browser listener; events of an
    // unknown session are dropped.
    void ListenToBrowser(EventHandler handler);
    void ListenToSession(const std::string& session, EventHandler handler);
    // Stops listening to session; the replies that its commands still wait for will not
    // come (its target has gone, or nobody wants them any more): their handlers run soon
    // with an error.
    void ForgetSession(const std::string& session);

    // Engine thread: one message as it came from the connection.
    void Dispatch(const std::string& text);
    // Engine thread: the connection has gone. Every pending reply handler runs with an
    // error, and so will those of later commands; no event arrives any more.
    void OnConnectionClosed();

  private:
    void FailLater(ReplyHandler on_reply);
    // error: one of the static error objects, which outlive every task.
    void FailLater(ReplyHandler on_reply, const nlohmann::json& error);

    EngineThread& thread_;
    Sender send_;
    std::atomic<long long> next_id_{1};

    struct Pending {
        std::string session;
        ReplyHandler on_reply;
    };

    std::mutex mutex_;  // guards pending_ and closed_
    std::unordered_map<long long, Pending> pending_;
    bool closed_ = false;

    EventHandler browser_listener_;                          // engine thread only
    std::map<std::string, EventHandler> session_listeners_;  // engine thread only
};

// Chromium writes an unpaired UTF-16 surrogate of a page's text as a \uD800-style escape,
// which a strict JSON parser refuses. Replaces every such escape by \uFFFD and leaves the
// rest of the text unchanged.
std::string ReplaceUnpairedSurrogateEscapes(std::string text);

}  // namespace quillmoor::bridge
