#include "options/http_get_win.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "ui/handles_win.h"
#include "ui/internet_win.h"

namespace velmora {

namespace {

constexpr DWORD kTimeoutMs = 15000;
constexpr int kMaxRedirects = 5;
constexpr char kAgent[] = "Velmora update";

std::string InternetError(DWORD code) {
  char text[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                 GetModuleHandleA("wininet.dll"), code, 0, text, sizeof text, nullptr);
  std::string s = text;
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s.empty() ? "network error " + std::to_string(code) : s;
}

std::string QueryText(HINTERNET request, DWORD what) {
  std::string text(2048, '\0');
  DWORD size = static_cast<DWORD>(text.size());
  if (!HttpQueryInfoA(request, what, &text[0], &size, nullptr)) return "";
  text.resize(size);
  return text;
}

}  // namespace

struct HttpGet::Transfer {
  std::string url;
  ProxyRoute proxy;
  size_t max_bytes = 0;
  std::atomic<bool> aborted{false};
  ui::UniqueHandle done{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  std::mutex handles_mutex;
  ui::UniqueInternet session, request;
  HttpOutcome outcome;

  void Close() {
    std::lock_guard<std::mutex> lock(handles_mutex);
    request.reset();
    session.reset();
  }
  void Work();
  void Fail(const std::string& reason) {
    outcome.kind = HttpOutcome::Kind::failed;
    outcome.reason = reason;
  }
};

void HttpGet::Transfer::Work() {
  ui::UniqueInternet opened = ui::OpenInternetSession(kAgent, proxy.host, proxy.port, kTimeoutMs);
  if (!opened) return Fail(InternetError(GetLastError()));
  const HINTERNET s = opened.get();
  {
    std::lock_guard<std::mutex> lock(handles_mutex);
    session = std::move(opened);
    if (aborted) return;
  }

  std::string where = url;
  for (int hop = 0;; ++hop) {
    const DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_CACHE_WRITE;
    ui::UniqueInternet opened_request(InternetOpenUrlA(s, where.c_str(), nullptr, 0, flags, 0));
    const DWORD error = GetLastError();
    const HINTERNET r = opened_request.get();
    {
      std::lock_guard<std::mutex> lock(handles_mutex);
      if (aborted) return;  // the request closes with its owner
      request = std::move(opened_request);
    }
    if (!r) return Fail(InternetError(error) + " (" + where + ")");
    DWORD status = 0, size = sizeof status;
    if (!HttpQueryInfoA(r, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
      return Fail("no HTTP answer from " + where);
    outcome.status = static_cast<int>(status);
    if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
      const std::string location = QueryText(r, HTTP_QUERY_LOCATION);
      char combined[INTERNET_MAX_URL_LENGTH] = {};
      DWORD length = sizeof combined;
      if (location.empty() ||
          !InternetCombineUrlA(where.c_str(), location.c_str(), combined, &length, ICU_NO_ENCODE))
        return Fail("a redirect without a usable address from " + where);
      if (!IsWebUrl(combined)) return Fail(std::string("a redirect to ") + combined + " refused");
      if (hop >= kMaxRedirects) return Fail("too many redirects from " + url);
      where = combined;
      continue;
    }
    break;
  }
  // The body, whatever the status (the caller decides); never more than max_bytes + 1.
  std::string body;
  char buffer[16 * 1024];
  for (;;) {
    DWORD got = 0;
    HINTERNET r;
    {
      std::lock_guard<std::mutex> lock(handles_mutex);
      r = request.get();
    }
    if (aborted || !r) return;
    if (!InternetReadFile(r, buffer, sizeof buffer, &got)) {
      if (aborted) return;
      return Fail(InternetError(GetLastError()) + " (" + url + ")");
    }
    if (got == 0) break;
    body.append(buffer, got);
    if (body.size() > max_bytes) return Fail("the answer from " + url + " is too large");
  }
  outcome.kind = HttpOutcome::Kind::ok;
  outcome.body = std::move(body);
}

HttpGet::~HttpGet() { Abort(); }

HttpOutcome HttpGet::Run(const std::string& url, const ProxyRoute& proxy, size_t max_bytes) {
  auto transfer = std::make_shared<Transfer>();
  transfer->url = url;
  transfer->proxy = proxy;
  transfer->max_bytes = max_bytes;
  if (!transfer->done) return {HttpOutcome::Kind::failed, 0, "", "no event for the transfer"};
  current_ = transfer;
  // The worker keeps its own reference: an aborted wait returns at once and leaves it to
  // finish (its handles closed under it) on its own.
  std::thread([transfer] {
    transfer->Work();
    transfer->Close();
    SetEvent(transfer->done.get());
  }).detach();

  bool quit = false;
  WPARAM quit_code = 0;
  for (;;) {
    if (transfer->aborted) break;
    HANDLE done = transfer->done.get();
    const DWORD wait = MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) break;
    MSG msg;
    while (!transfer->aborted && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quit_code = msg.wParam;
        Abort();
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (quit) PostQuitMessage(static_cast<int>(quit_code));
  if (current_ == transfer) current_.reset();
  if (transfer->aborted) return {HttpOutcome::Kind::cancelled, 0, "", "Connection aborted on request"};
  return transfer->outcome;
}

void HttpGet::Abort() {
  if (!current_) return;
  current_->aborted = true;
  current_->Close();
}

}  // namespace velmora
