// Owners of the Win32 handles the program opens: each closes its handle with the owner,
// moves but never copies. One template, one line per kind of handle:
//
//   UniqueModule  HMODULE  FreeLibrary        UniqueKey     HKEY     RegCloseKey
//   UniqueHandle  HANDLE   CloseHandle        UniqueFind    HANDLE   FindClose
//   UniqueFileHandle  HANDLE (CreateFile)  CloseHandle
//   UniqueMenu    HMENU    DestroyMenu        UniqueMixer   HMIXER   mixerClose
//   UniqueBitmap, UniqueFont, UniqueBrush, UniquePen, UniqueRegion  DeleteObject
//   UniqueDC      HDC      DeleteDC           UniqueIcon    HICON    DestroyIcon
//
// (the one directory listing of the program, ForEachFile, is in ui/wide_win.h).
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <string>
#include <utility>

namespace velmora::ui {

// Traits: the handle type, its empty value and how it is closed.
template <typename H, H kEmpty, typename Close>
class UniqueOwner {
 public:
  UniqueOwner() = default;
  explicit UniqueOwner(H h) : h_(h) {}
  ~UniqueOwner() { reset(); }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;
  UniqueOwner(UniqueOwner&& o) noexcept : h_(std::exchange(o.h_, kEmpty)) {}
  UniqueOwner& operator=(UniqueOwner&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, kEmpty));
    return *this;
  }

  H get() const { return h_; }
  explicit operator bool() const { return h_ != kEmpty; }
  // For functions that return the handle through a pointer; closes what was held.
  H* out() {
    reset();
    return &h_;
  }
  H release() { return std::exchange(h_, kEmpty); }
  void reset(H h = kEmpty) {
    if (h_ != kEmpty) Close()(h_);
    h_ = h;
  }

 private:
  H h_ = kEmpty;
};

namespace close {
struct Library {
  void operator()(HMODULE h) const { FreeLibrary(h); }
};
struct Key {
  void operator()(HKEY h) const { RegCloseKey(h); }
};
struct Kernel {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct Find {
  void operator()(HANDLE h) const { FindClose(h); }
};
struct Menu {
  void operator()(HMENU h) const { DestroyMenu(h); }
};
struct Mixer {
  void operator()(HMIXER h) const { mixerClose(h); }
};
struct GdiObject {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct Dc {
  void operator()(HDC h) const { DeleteDC(h); }
};
struct Icon {
  void operator()(HICON h) const { DestroyIcon(h); }
};
}  // namespace close

using UniqueModule = UniqueOwner<HMODULE, nullptr, close::Library>;
using UniqueKey = UniqueOwner<HKEY, nullptr, close::Key>;
using UniqueHandle = UniqueOwner<HANDLE, nullptr, close::Kernel>;
using UniqueMenu = UniqueOwner<HMENU, nullptr, close::Menu>;
using UniqueMixer = UniqueOwner<HMIXER, nullptr, close::Mixer>;
using UniqueBitmap = UniqueOwner<HBITMAP, nullptr, close::GdiObject>;
using UniqueFont = UniqueOwner<HFONT, nullptr, close::GdiObject>;
using UniqueBrush = UniqueOwner<HBRUSH, nullptr, close::GdiObject>;
using UniquePen = UniqueOwner<HPEN, nullptr, close::GdiObject>;
using UniqueRegion = UniqueOwner<HRGN, nullptr, close::GdiObject>;
using UniqueDC = UniqueOwner<HDC, nullptr, close::Dc>;
using UniqueIcon = UniqueOwner<HICON, nullptr, close::Icon>;

// Handles whose empty value is INVALID_HANDLE_VALUE, which is not a constant expression,
// so they have an owner of their own: FindFirstFile searches and CreateFile files.
template <typename Close>
class UniqueInvalidOwner {
 public:
  explicit UniqueInvalidOwner(HANDLE h) : h_(h) {}
  ~UniqueInvalidOwner() {
    if (h_ != INVALID_HANDLE_VALUE) Close()(h_);
  }
  UniqueInvalidOwner(const UniqueInvalidOwner&) = delete;
  UniqueInvalidOwner& operator=(const UniqueInvalidOwner&) = delete;
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};
using UniqueFind = UniqueInvalidOwner<close::Find>;
using UniqueFileHandle = UniqueInvalidOwner<close::Kernel>;

}  // namespace velmora::ui
