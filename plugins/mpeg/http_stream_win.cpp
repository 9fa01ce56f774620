#include "plugins/mpeg/http_stream_win.h"

#include "plugins/output/library_thread_win.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace velmora::mpeg {

using output::StartLibraryThread;

namespace {

constexpr const char* kSettingsKey = "Software\\velmora";
// Bytes looked at for the first frames before the stream is declared not MPEG audio.
constexpr size_t kProbeBytes = 64 * 1024;
constexpr DWORD kTimeoutMs = 10000;
// Audio read ahead of the player: some seconds of a usual stream.
constexpr size_t kBufferAhead = 256 * 1024;

std::string RegString(HKEY key, const char* name) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return "";
  if (type == REG_DWORD) {
    DWORD v = 0;
    size = sizeof(v);
    RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
    return std::to_string(v);
  }
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 || size > 4096) return "";
  std::string s(size, '\0');
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&s[0]), &size) !=
      ERROR_SUCCESS) {
    return "";
  }
  s.resize(std::min<size_t>(size, s.size()));
  while (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

std::string Base64(const std::string& in) {
  static const char* k = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    uint32_t v = (uint8_t(in[i]) << 16) | (uint8_t(in[i + 1]) << 8) | uint8_t(in[i + 2]);
    out += {k[v >> 18], k[(v >> 12) & 63], k[(v >> 6) & 63], k[v & 63]};
  }
  if (i + 1 == in.size()) {
    uint32_t v = uint8_t(in[i]) << 16;
    out += {k[v >> 18], k[(v >> 12) & 63], '=', '='};
  } else if (i + 2 == in.size()) {
    uint32_t v = (uint8_t(in[i]) << 16) | (uint8_t(in[i + 1]) << 8);
    out += {k[v >> 18], k[(v >> 12) & 63], k[(v >> 6) & 63], '='};
  }
  return out;
}

}  // namespace

ProxySettings ReadProxySettings() {
  ProxySettings p;
  UniqueKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.out()) != ERROR_SUCCESS) {
    return p;
  }
  p.use = RegString(key.get(), "UseProxy") == "1";
  p.host = RegString(key.get(), "Host");
  p.port = RegString(key.get(), "Port");
  p.user = RegString(key.get(), "User");
  p.password = RegString(key.get(), "Password");
  return p;
}

HttpStream::~HttpStream() { CloseHandles(); }

void HttpStream::CloseHandles() {
  std::lock_guard<std::mutex> lock(handle_mutex_);
  request_.reset();
  session_.reset();
}

void HttpStream::Start(const std::string& url, const ProxySettings& proxy) {
  std::shared_ptr<HttpStream> self = shared_from_this();
  UniqueKernelHandle thread = StartLibraryThread([self, url, proxy] { self->Run(url, proxy); });
  if (thread) return;
  std::lock_guard<std::mutex> lock(mutex_);
  state_ = State::failed;
  ended_ = true;
}

HttpStream::State HttpStream::CurrentState() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_;
}

std::string HttpStream::Name() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_ == State::ready ? name_ : std::string();
}

FrameHeader HttpStream::FirstFrame() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return state_ == State::ready ? first_ : FrameHeader{};
}

void HttpStream::Run(std::string url, ProxySettings proxy) {
  bool connected = false;
  try {
    connected = Connect(url, proxy);
  } catch (...) {
    // Not connected: the stream fails below as any unreachable stream does.
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state_ = connected ? State::ready : State::failed;
    if (!connected) ended_ = true;
  }
  changed_.notify_all();
  std::string chunk;
  std::deque<std::pair<uint64_t, std::string>> titles;
  while (connected) {
    uint64_t base;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock,
                    [&] { return aborted_.load() || buffer_.size() - buffer_pos_ < kBufferAhead; });
      if (aborted_) break;
      base = received_total_;
    }
    chunk.clear();
    titles.clear();
    bool more = Receive(&chunk, base, &titles);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      buffer_.erase(0, buffer_pos_);
      buffer_pos_ = 0;
      buffer_ += chunk;
      received_total_ += chunk.size();
      for (auto& t : titles) titles_.push_back(std::move(t));
      if (!more) ended_ = true;
    }
    changed_.notify_all();
    if (!more) break;
  }
  CloseHandles();
}

bool HttpStream::Connect(const std::string& url, const ProxySettings& proxy) {
  const char* agent = "Velmora MPEG plug-in";
  const bool via_proxy = proxy.use && !proxy.host.empty();
  UniqueInternet opened =
      ui::OpenInternetSession(agent, via_proxy ? proxy.host : std::string(), proxy.port, kTimeoutMs);
  if (!opened) return false;
  const HINTERNET session = opened.get();
  {
    std::lock_guard<std::mutex> lock(handle_mutex_);
    session_ = std::move(opened);
    if (aborted_) return false;
  }
  std::string headers = "Icy-MetaData: 1\r\n";
  if (via_proxy && !proxy.user.empty()) {
    headers += "Proxy-Authorization: Basic " + Base64(proxy.user + ":" + proxy.password) + "\r\n";
  }
  DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_UI |
                INTERNET_FLAG_PRAGMA_NOCACHE;
  // The waits of the network: here, not on the player's thread. Abort closes the handles,
  // which ends them where the network layer allows it.
  UniqueInternet opened_request(InternetOpenUrlA(session, url.c_str(), headers.c_str(),
                                                static_cast<DWORD>(headers.size()), flags, 0));
  const HINTERNET request = opened_request.get();
  {
    std::lock_guard<std::mutex> lock(handle_mutex_);
    if (aborted_) return false;  // the request closes with its owner
    request_ = std::move(opened_request);
  }
  if (!request) return false;
  DWORD status = 0, size = sizeof(status);
  if (HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                     nullptr) &&
      status != 200) {
    return false;
  }
  std::string raw(4096, '\0');
  size = static_cast<DWORD>(raw.size());
  if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, &raw[0], &size, nullptr) &&
      GetLastError() == ERROR_INSUFFICIENT_BUFFER && size < (1u << 20)) {
    raw.assign(size + 1, '\0');
    HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, &raw[0], &size, nullptr);
  }
  raw.resize(std::min<size_t>(size, raw.size()));
  auto fields = ParseHttpHeaders(raw);
  long metaint = std::strtol(fields["icy-metaint"].c_str(), nullptr, 10);
  if (metaint < 0 || static_cast<uint32_t>(metaint) > kMaxMetaint) metaint = 0;
  demuxer_ = IcyDemuxer(static_cast<uint32_t>(metaint));

  // Find the first frames now, so the rate and bit rate are known before playing and a
  // server that sends something else is recognised at once.
  std::string probe;
  std::deque<std::pair<uint64_t, std::string>> titles;
  FrameHeader first;
  bool found = false;
  while (!found && probe.size() < kProbeBytes) {
    bool more = Receive(&probe, 0, &titles);
    const auto* data = reinterpret_cast<const uint8_t*>(probe.data());
    if (!more) {
      found = FindAudioStart(data, probe.size(), true, 3, &first) >= 0;
      break;
    }
    found = probe.size() >= 4096 && FindAudioStart(data, probe.size(), false, 3, &first) >= 0;
  }
  if (!found) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  name_ = fields["icy-name"];
  first_ = first;
  buffer_ = std::move(probe);
  buffer_pos_ = 0;
  received_total_ = buffer_.size();
  titles_ = std::move(titles);
  return true;
}

std::string HttpStream::Title() const {
  std::lock_guard<std::mutex> lock(title_mutex_);
  return title_;
}

void HttpStream::Abort() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    aborted_ = true;
    ended_ = true;
  }
  changed_.notify_all();
  CloseHandles();
}

bool HttpStream::Receive(std::string* audio, uint64_t base,
                         std::deque<std::pair<uint64_t, std::string>>* titles) {
  if (aborted_) return false;
  HINTERNET request;
  {
    std::lock_guard<std::mutex> lock(handle_mutex_);
    request = request_.get();
  }
  if (!request) return false;
  uint8_t buffer[16 * 1024];
  DWORD got = 0;
  if (!InternetReadFile(request, buffer, sizeof(buffer), &got) || got == 0 || aborted_) {
    return false;  // the server closed the connection, a timeout, or Abort
  }
  // A title belongs to the audio that follows it: it is shown when the reader gets there.
  demuxer_.Feed(buffer, got, audio, [&](const std::string& title) {
    titles->emplace_back(base + audio->size(), title);
  });
  return true;
}

long HttpStream::Read(void* buffer, size_t count) {
  std::string reached;
  bool title_reached = false;
  size_t n = 0;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return aborted_.load() || ended_ || buffer_pos_ < buffer_.size(); });
    if (aborted_ || buffer_pos_ >= buffer_.size()) return 0;
    n = std::min(count, buffer_.size() - buffer_pos_);
    std::copy_n(buffer_.data() + buffer_pos_, n, static_cast<char*>(buffer));
    buffer_pos_ += n;
    read_total_ += n;
    while (!titles_.empty() && titles_.front().first <= read_total_) {
      reached = std::move(titles_.front().second);
      title_reached = true;
      titles_.pop_front();
    }
  }
  changed_.notify_all();  // room in the buffer again
  if (title_reached) {
    std::lock_guard<std::mutex> lock(title_mutex_);
    if (reached != title_) {
      title_ = reached;
      ++title_version_;
    }
  }
  return static_cast<long>(n);
}

}  // namespace velmora::mpeg
