// A small HTTP server on 127.0.0.1 for end-to-end tests: answers each GET from a table of
// paths, one connection at a time, and remembers the request lines it got. A request in
// absolute form (as a proxy receives it) is answered by its path too, so the server can
// play the proxy.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmora::e2e {

class LocalHttpServer {
 public:
  struct Reply {
    int status = 200;
    std::string body;
    // Sends the head and the first half of the body, then nothing more until the
    // server is destroyed (a transfer that never ends).
    bool stall = false;
    std::string location;  // a Location header (for redirects)
    // Reads the request and answers nothing at all, holding the connection until the
    // server is destroyed (a server that never answers).
    bool silent = false;
  };

  LocalHttpServer();
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  int Port() const { return port_; }
  std::string Url(const std::string& path) const;
  // What `path` answers from now on; an unknown path gets 404.
  void Set(const std::string& path, Reply reply);
  // "GET /info.ini HTTP/1.1", ... in the order they came.
  std::vector<std::string> RequestLines();

 private:
  void Serve();
  void Answer(SOCKET client);

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::map<std::string, Reply> replies_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace velmora::e2e
