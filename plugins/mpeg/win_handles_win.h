// The owners of the system handles the MPEG plug-in uses: the program's handle owners
// (header-only, so the plug-in's own library carries them), plus one for WinINet.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "ui/handles_win.h"

namespace velmora::mpeg {

namespace close {
struct Internet {
  void operator()(HINTERNET h) const { InternetCloseHandle(h); }
};
}  // namespace close

using UniqueKernelHandle = ui::UniqueHandle;
using UniqueInternet = ui::UniqueOwner<HINTERNET, nullptr, close::Internet>;
using ui::UniqueKey;
using ui::UniqueMenu;

// UTF-8 (what the tag reader produces) to the 8-bit system code page.
std::string Utf8ToAnsi(const std::string& utf8);

}  // namespace velmora::mpeg
