// The owners of the system handles the MPEG plug-in uses: those of the shipped plug-ins,
// plus one for WinINet.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "plugins/output/handles_win.h"

namespace velmora::mpeg {

namespace close {
struct Internet {
  void operator()(HINTERNET h) const { InternetCloseHandle(h); }
};
}  // namespace close

using output::UniqueKernelHandle;
using UniqueInternet = ui::UniqueOwner<HINTERNET, nullptr, close::Internet>;
using output::UniqueKey;
using output::UniqueMenu;
using output::Utf8ToAnsi;

}  // namespace velmora::mpeg
