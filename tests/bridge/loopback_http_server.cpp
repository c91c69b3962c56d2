#include "tests/bridge/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace quillmoor::bridge_test {

LoopbackHttpServer::LoopbackHttpServer() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listener_ < 0 ||
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 64) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    stop_ = eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { Run(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(stop_, &one, sizeof one);
    thread_.join();
    close(listener_);
    close(stop_);
}

std::string LoopbackHttpServer::Url(const std::string& host, const std::string& path) const {
    return "http://" + host + ":" + std::to_string(port_) + path;
}

void LoopbackHttpServer::Serve(const std::string& path, std::string body,
                               std::string content_type) {
    std::lock_guard lock(mutex_);
    pages_[path] = {std::move(content_type), std::move(body)};
}

std::vector<std::string> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool LoopbackHttpServer::WasAskedFor(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return std::any_of(requests_.begin(), requests_.end(), [&](const std::string& target) {
        return target.substr(0, target.find('?')) == path;
    });
}

// One thread serves every connection: Chromium opens connections ahead of need that may
// never carry a request, and none of them may hold up the others or the server's end.
void LoopbackHttpServer::Run() {
    std::map<int, std::string> connections;  // descriptor -> what it sent so far
    for (;;) {
        std::vector<pollfd> fds = {{listener_, POLLIN, 0}, {stop_, POLLIN, 0}};
        for (const auto& [connection, received] : connections) {
            fds.push_back({connection, POLLIN, 0});
        }
        if (poll(fds.data(), fds.size(), -1) < 0) {
            continue;
        }
        if (fds[1].revents != 0) {
            break;
        }
        if (fds[0].revents != 0) {
            const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection >= 0) {
                connections.emplace(connection, std::string());
            }
        }
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            const int connection = fds[i].fd;
            std::string& received = connections[connection];
            char chunk[4096];
            const ssize_t got = recv(connection, chunk, sizeof chunk, 0);
            if (got > 0) {
                received.append(chunk, static_cast<std::size_t>(got));
            }
            if (got > 0 && received.find("\r\n\r\n") == std::string::npos) {
                continue;
            }
            if (got > 0) {
                Answer(connection, received);
            }
            close(connection);
            connections.erase(connection);
        }
    }
    for (const auto& [connection, received] : connections) {
        close(connection);
    }
}

void LoopbackHttpServer::Answer(int connection, const std::string& request) {
    const std::size_t first_space = request.find(' ');
    const std::size_t second_space = request.find(' ', first_space + 1);
    if (first_space == std::string::npos || second_space == std::string::npos) {
        return;
    }
    const std::string target = request.substr(first_space + 1, second_space - first_space - 1);
    const std::string path = target.substr(0, target.find('?'));
    std::string status = "404 Not Found";
    std::string type = "text/plain";
    std::string body = "not found";
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(target);
        if (auto page = pages_.find(path); page != pages_.end()) {
            status = "200 OK";
            type = page->second.first;
            body = page->second.second;
        }
    }
    const std::string response = "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
                                 "\r\nContent-Length: " + std::to_string(body.size()) +
                                 "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
    std::size_t sent = 0;
    while (sent < response.size()) {
        const ssize_t wrote =
            send(connection, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
        if (wrote <= 0) {
            return;
        }
        sent += static_cast<std::size_t>(wrote);
    }
}

}  // namespace quillmoor::bridge_test
