// WinINet sessions and the owner of their handles (sessions and requests alike). Header
// only, so a plug-in's own library can carry it; whoever includes it links wininet.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "ui/handles_win.h"

namespace velmora::ui {

namespace close {
struct Internet {
  void operator()(HINTERNET h) const { InternetCloseHandle(h); }
};
}  // namespace close

using UniqueInternet = UniqueOwner<HINTERNET, nullptr, close::Internet>;

// A session for `agent`: direct when `proxy_host` is empty, else through
// proxy_host:proxy_port (port 80 when none is given); connecting, sending and receiving
// each wait at most `timeout_ms`. Empty when WinINet refuses (GetLastError says why).
inline UniqueInternet OpenInternetSession(const char* agent, const std::string& proxy_host,
                                          const std::string& proxy_port, DWORD timeout_ms) {
  UniqueInternet session;
  if (!proxy_host.empty()) {
    const std::string name = proxy_host + ":" + (proxy_port.empty() ? "80" : proxy_port);
    session.reset(InternetOpenA(agent, INTERNET_OPEN_TYPE_PROXY, name.c_str(), nullptr, 0));
  } else {
    session.reset(InternetOpenA(agent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  }
  if (!session) return session;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                       INTERNET_OPTION_SEND_TIMEOUT})
    InternetSetOptionA(session.get(), option, &timeout_ms, sizeof timeout_ms);
  return session;
}

}  // namespace velmora::ui
