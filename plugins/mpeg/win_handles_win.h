// Small owners of the system handles the MPEG plug-in uses.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>
#include <utility>

namespace velmora::mpeg {

template <typename H, BOOL(WINAPI* Close)(H)>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, H{});
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H Get() const { return h_; }
  explicit operator bool() const { return h_ != H{}; }
  void Reset(H h = H{}) {
    if (h_ != H{}) Close(h_);
    h_ = h;
  }
  H Release() { return std::exchange(h_, H{}); }

 private:
  H h_{};
};

using UniqueKernelHandle = UniqueHandle<HANDLE, CloseHandle>;
using UniqueInternet = UniqueHandle<HINTERNET, InternetCloseHandle>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;

class UniqueKey {
 public:
  UniqueKey() = default;
  ~UniqueKey() {
    if (key_) RegCloseKey(key_);
  }
  UniqueKey(const UniqueKey&) = delete;
  UniqueKey& operator=(const UniqueKey&) = delete;
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// UTF-8 (what the tag reader produces) to the 8-bit system code page.
std::string Utf8ToAnsi(const std::string& utf8);

}  // namespace velmora::mpeg
