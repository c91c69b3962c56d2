// A small HTTP server for tests, bound to 127.0.0.1 on a free port: serves fixed pages and
// remembers every path it was asked for.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/no_copy.h"

namespace quillmoor::bridge_test {

class LoopbackHttpServer {
  public:
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    QUILLMOOR_NO_COPY(LoopbackHttpServer);

    int Port() const { return port_; }
    // http://host:port + path
    std::string Url(const std::string& host, const std::string& path) const;
    // Serves body for path (without its query); anything else is 404.
    void Serve(const std::string& path, std::string body,
               std::string content_type = "text/html; charset=utf-8");
    // Every request target (path and query) in the order asked.
    std::vector<std::string> Requests() const;
    bool WasAskedFor(const std::string& path) const;

  private:
    void Run();
    void Answer(int connection, const std::string& request);

    int listener_ = -1;
    int stop_ = -1;  // eventfd
    int port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, std::pair<std::string, std::string>> pages_;  // path -> type, body
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace quillmoor::bridge_test
