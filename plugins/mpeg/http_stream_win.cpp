#include "plugins/mpeg/http_stream_win.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace velmora::mpeg {

namespace {

constexpr const char* kSettingsKey = "Software\\velmora";
// Bytes looked at for the first frames before the stream is declared not MPEG audio.
constexpr size_t kProbeBytes = 64 * 1024;
constexpr DWORD kTimeoutMs = 10000;

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
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.Out()) != ERROR_SUCCESS) {
    return p;
  }
  p.use = RegString(key.Get(), "UseProxy") == "1";
  p.host = RegString(key.Get(), "Host");
  p.port = RegString(key.Get(), "Port");
  p.user = RegString(key.Get(), "User");
  p.password = RegString(key.Get(), "Password");
  return p;
}

HttpStream::~HttpStream() {
  std::lock_guard<std::mutex> lock(handle_mutex_);
  request_.Reset();
  session_.Reset();
}

bool HttpStream::Open(const std::string& url, const ProxySettings& proxy, std::string* error) {
  const char* agent = "Velmora MPEG plug-in";
  std::string proxy_name;
  if (proxy.use && !proxy.host.empty()) {
    proxy_name = proxy.host + ":" + (proxy.port.empty() ? std::string("80") : proxy.port);
    session_.Reset(InternetOpenA(agent, INTERNET_OPEN_TYPE_PROXY, proxy_name.c_str(), nullptr, 0));
  } else {
    session_.Reset(InternetOpenA(agent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  }
  if (!session_) {
    *error = "Cannot start the network";
    return false;
  }
  DWORD timeout = kTimeoutMs;
  InternetSetOptionA(session_.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof(timeout));
  InternetSetOptionA(session_.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
  InternetSetOptionA(session_.Get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof(timeout));
  std::string headers = "Icy-MetaData: 1\r\n";
  if (!proxy_name.empty() && !proxy.user.empty()) {
    headers += "Proxy-Authorization: Basic " + Base64(proxy.user + ":" + proxy.password) + "\r\n";
  }
  DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_UI |
                INTERNET_FLAG_PRAGMA_NOCACHE;
  HINTERNET request = InternetOpenUrlA(session_.Get(), url.c_str(), headers.c_str(),
                                       static_cast<DWORD>(headers.size()), flags, 0);
  {
    std::lock_guard<std::mutex> lock(handle_mutex_);
    request_.Reset(request);
  }
  if (!request) {
    *error = "Cannot connect";
    return false;
  }
  DWORD status = 0, size = sizeof(status);
  if (HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                     nullptr) &&
      status != 200) {
    *error = "The server answered " + std::to_string(status);
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
  name_ = fields["icy-name"];
  long metaint = std::strtol(fields["icy-metaint"].c_str(), nullptr, 10);
  if (metaint < 0 || static_cast<uint32_t>(metaint) > kMaxMetaint) metaint = 0;
  demuxer_ = IcyDemuxer(static_cast<uint32_t>(metaint));

  // Find the first frames now, so the rate and bit rate can be shown before playing and
  // a server that sends something else is recognised at once.
  while (audio_.size() < kProbeBytes && Fill()) {
    if (audio_.size() >= 4096 &&
        FindAudioStart(reinterpret_cast<const uint8_t*>(audio_.data()), audio_.size(), false, 3,
                       &first_) >= 0) {
      return true;
    }
  }
  if (FindAudioStart(reinterpret_cast<const uint8_t*>(audio_.data()), audio_.size(), true, 3,
                     &first_) >= 0) {
    return true;
  }
  *error = "Not an MPEG audio stream";
  return false;
}

std::string HttpStream::Title() const {
  std::lock_guard<std::mutex> lock(title_mutex_);
  return title_;
}

void HttpStream::Abort() {
  aborted_ = true;
  // Closing the request handle makes a read blocked in another thread fail at once.
  std::lock_guard<std::mutex> lock(handle_mutex_);
  request_.Reset();
}

bool HttpStream::Fill() {
  if (aborted_) return false;
  HINTERNET request;
  {
    std::lock_guard<std::mutex> lock(handle_mutex_);
    request = request_.Get();
  }
  if (!request) return false;
  uint8_t buffer[16 * 1024];
  DWORD got = 0;
  if (!InternetReadFile(request, buffer, sizeof(buffer), &got) || got == 0 || aborted_) {
    return false;  // the server closed the connection, a timeout, or Abort
  }
  if (audio_pos_ > 0 && audio_pos_ == audio_.size()) {
    audio_.clear();
    audio_pos_ = 0;
  }
  demuxer_.Feed(buffer, got, &audio_, [this](const std::string& title) {
    std::lock_guard<std::mutex> lock(title_mutex_);
    if (title != title_) {
      title_ = title;
      ++title_version_;
    }
  });
  return true;
}

long HttpStream::Read(void* buffer, size_t count) {
  while (audio_pos_ >= audio_.size()) {
    audio_.clear();
    audio_pos_ = 0;
    if (!Fill()) return 0;
  }
  size_t n = std::min(count, audio_.size() - audio_pos_);
  std::copy_n(audio_.data() + audio_pos_, n, static_cast<char*>(buffer));
  audio_pos_ += n;
  if (audio_pos_ == audio_.size()) {
    audio_.clear();
    audio_pos_ = 0;
  }
  return static_cast<long>(n);
}

}  // namespace velmora::mpeg
