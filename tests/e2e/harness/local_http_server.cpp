#include "harness/local_http_server.h"

#include <windows.h>

#include <algorithm>

namespace velmora::e2e {

namespace {

bool SendAll(SOCKET c, const char* p, size_t n) {
  while (n) {
    const int r = send(c, p, static_cast<int>(std::min<size_t>(n, 65536)), 0);
    if (r <= 0) return false;
    p += r;
    n -= static_cast<size_t>(r);
  }
  return true;
}

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 404: return "Not Found";
    default: return "Status";
  }
}

}  // namespace

LocalHttpServer::LocalHttpServer() {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  int len = sizeof addr;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  listen(listener_, 8);
  thread_ = std::thread([this] { Serve(); });
}

LocalHttpServer::~LocalHttpServer() {
  stop_ = true;
  closesocket(listener_);
  if (thread_.joinable()) thread_.join();
  WSACleanup();
}

std::string LocalHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void LocalHttpServer::Set(const std::string& path, Reply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  replies_[path] = std::move(reply);
}

std::vector<std::string> LocalHttpServer::RequestLines() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LocalHttpServer::Serve() {
  while (!stop_) {
    SOCKET c = accept(listener_, nullptr, nullptr);
    if (c == INVALID_SOCKET) return;
    Answer(c);
    closesocket(c);
  }
}

void LocalHttpServer::Answer(SOCKET c) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    const int r = recv(c, buffer, sizeof buffer, 0);
    if (r <= 0) return;
    request.append(buffer, static_cast<size_t>(r));
  }
  const std::string line = request.substr(0, request.find("\r\n"));
  // "GET <target> HTTP/1.1"; an absolute target ("http://host/path") counts by its path.
  std::string target = line.substr(line.find(' ') + 1);
  target = target.substr(0, target.find(' '));
  const size_t scheme = target.find("://");
  if (scheme != std::string::npos) {
    const size_t path = target.find('/', scheme + 3);
    target = path == std::string::npos ? "/" : target.substr(path);
  }
  Reply reply{404, "<html>not here</html>", false, "", false};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(line);
    const auto it = replies_.find(target);
    if (it != replies_.end()) reply = it->second;
  }
  if (reply.silent) {
    while (!stop_) Sleep(50);
    return;
  }
  const std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                           Reason(reply.status) + "\r\nContent-Type: application/octet-stream" +
                           "\r\nContent-Length: " + std::to_string(reply.body.size()) +
                           (reply.location.empty() ? "" : "\r\nLocation: " + reply.location) +
                           "\r\nConnection: close\r\n\r\n";
  if (!SendAll(c, head.data(), head.size())) return;
  if (!reply.stall) {
    SendAll(c, reply.body.data(), reply.body.size());
    return;
  }
  SendAll(c, reply.body.data(), reply.body.size() / 2);
  while (!stop_) Sleep(50);  // holds the transfer open until the server goes
}

}  // namespace velmora::e2e
