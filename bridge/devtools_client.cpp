#include "bridge/devtools_client.h"

#include <vector>

namespace quillmoor::bridge {

namespace {

const nlohmann::json& SessionForgottenError() {
    static const nlohmann::json error = {{"code", -2},
                                         {"message", "the session is gone; no reply will come"}};
    return error;
}

const nlohmann::json& ConnectionClosedError() {
    static const nlohmann::json error = {{"code", -1},
                                         {"message", "the connection to Chromium is closed"}};
    return error;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The code unit of the \uXXXX escape at text[at] (which holds the backslash), or -1.
int EscapedUnitAt(const std::string& text, std::size_t at) {
    if (at + 6 > text.size() || text[at] != '\\' || text[at + 1] != 'u') {
        return -1;
    }
    int unit = 0;
    for (std::size_t i = at + 2; i < at + 6; ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0) {
            return -1;
        }
        unit = unit * 16 + digit;
    }
    return unit;
}

bool IsHighSurrogate(int unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(int unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::string ReplaceUnpairedSurrogateEscapes(std::string text) {
    if (text.find("\\u") == std::string::npos) {
        return text;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            continue;
        }
        const int unit = EscapedUnitAt(text, i);
        if (unit < 0) {
            ++i;  // another escape: skip the escaped character
            continue;
        }
        if (IsHighSurrogate(unit) && IsLowSurrogate(EscapedUnitAt(text, i + 6))) {
            i += 11;  // a proper pair
            continue;
        }
        if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            text.replace(i + 2, 4, "fffd");
        }
        i += 5;
    }
    return text;
}

DevToolsClient::DevToolsClient(EngineThread& thread, Sender send)
    : thread_(thread), send_(std::move(send)) {}

void DevToolsClient::Command(const std::string& session, const std::string& method,
                             nlohmann::json params, ReplyHandler on_reply) {
    const long long id = next_id_.fetch_add(1, std::memory_order_relaxed);
    nlohmann::json message = {{"id", id}, {"method", method}, {"params", std::move(params)}};
    if (!session.empty()) {
        message["sessionId"] = session;
    }
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            FailLater(std::move(on_reply));
            return;
        }
        if (on_reply) {
            pending_.emplace(id, Pending{session, std::move(on_reply)});
        }
    }
    if (!send_(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace))) {
        ReplyHandler unsent;
        {
            std::lock_guard lock(mutex_);
            auto it = pending_.find(id);
            if (it == pending_.end()) {
                return;  // already failed by OnConnectionClosed
            }
            unsent = std::move(it->second.on_reply);
            pending_.erase(it);
        }
        FailLater(std::move(unsent));
    }
}

void DevToolsClient::FailLater(ReplyHandler on_reply) {
    FailLater(std::move(on_reply), ConnectionClosedError());
}

void DevToolsClient::FailLater(ReplyHandler on_reply, const nlohmann::json& error) {
    if (on_reply) {
        thread_.Post([on_reply = std::move(on_reply), &error] { on_reply(false, error); });
    }
}

void DevToolsClient::ListenToBrowser(EventHandler handler) {
    thread_.Owner().Check();
    browser_listener_ = std::move(handler);
}

void DevToolsClient::ListenToSession(const std::string& session, EventHandler handler) {
    thread_.Owner().Check();
    session_listeners_[session] = std::move(handler);
}

void DevToolsClient::ForgetSession(const std::string& session) {
    thread_.Owner().Check();
    session_listeners_.erase(session);
    if (session.empty()) {
        return;
    }
    std::map<long long, ReplyHandler> abandoned;  // in the order the commands were sent
    {
        std::lock_guard lock(mutex_);
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (it->second.session == session) {
                abandoned.emplace(it->first, std::move(it->second.on_reply));
                it = pending_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& [id, on_reply] : abandoned) {
        FailLater(std::move(on_reply), SessionForgottenError());
    }
}

void DevToolsClient::Dispatch(const std::string& text) {
    thread_.Owner().Check();
    nlohmann::json message =
        nlohmann::json::parse(ReplaceUnpairedSurrogateEscapes(text), nullptr, false);
    if (message.is_discarded() || !message.is_object()) {
        return;
    }
    if (auto id = message.find("id"); id != message.end() && id->is_number_integer()) {
        ReplyHandler on_reply;
        {
            std::lock_guard lock(mutex_);
            auto it = pending_.find(id->get<long long>());
            if (it == pending_.end()) {
                return;
            }
            on_reply = std::move(it->second.on_reply);
            pending_.erase(it);
        }
        if (auto error = message.find("error"); error != message.end()) {
            on_reply(false, *error);
        } else if (auto result = message.find("result"); result != message.end()) {
            on_reply(true, *result);
        } else {
            on_reply(true, nlohmann::json::object());
        }
        return;
    }
    auto method = message.find("method");
    if (method == message.end() || !method->is_string()) {
        return;
    }
    static const nlohmann::json no_params = nlohmann::json::object();
    auto params = message.find("params");
    const nlohmann::json& event_params = params != message.end() ? *params : no_params;
    auto session = message.find("sessionId");
    if (session == message.end() || !session->is_string()) {
        if (browser_listener_) {
            browser_listener_(method->get<std::string>(), event_params);
        }
        return;
    }
    auto listener = session_listeners_.find(session->get<std::string>());
    if (listener != session_listeners_.end()) {
        EventHandler handler = listener->second;  // may forget its own session
        handler(method->get<std::string>(), event_params);
    }
}

void DevToolsClient::OnConnectionClosed() {
    thread_.Owner().Check();
    std::unordered_map<long long, Pending> failed;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        failed.swap(pending_);
    }
    session_listeners_.clear();
    browser_listener_ = nullptr;
    // In the order the commands were sent.
    std::map<long long, ReplyHandler> ordered;
    for (auto& [id, pending] : failed) {
        ordered.emplace(id, std::move(pending.on_reply));
    }
    for (auto& [id, on_reply] : ordered) {
        on_reply(false, ConnectionClosedError());
    }
}

}  // namespace quillmoor::bridge
