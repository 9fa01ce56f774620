// One HTTP or HTTPS GET through WinINet on a worker thread, waited for on the calling
// (window) thread while its messages keep running, so buttons, timers and playback stay
// live. Redirects are followed only to http and https addresses.
#pragma once

#include <memory>
#include <string>

#include "options/update_check.h"

namespace velmora {

class HttpGet {
 public:
  HttpGet() = default;
  ~HttpGet();
  HttpGet(const HttpGet&) = delete;
  HttpGet& operator=(const HttpGet&) = delete;

  // Returns when the transfer has ended, failed, or been aborted. A WM_QUIT seen while
  // waiting aborts the transfer and is posted again for the loop that owns it.
  HttpOutcome Run(const std::string& url, const ProxyRoute& proxy, size_t max_bytes);
  // Ends the transfer in progress at once (Run then returns "cancelled").
  void Abort();

  struct Transfer;  // shared with the worker, which may outlive an aborted wait

 private:
  std::shared_ptr<Transfer> current_;
};

}  // namespace velmora
