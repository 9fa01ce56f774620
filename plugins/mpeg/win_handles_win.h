// The owners of the system handles the MPEG plug-in uses: those of the shipped plug-ins,
// plus the WinINet one.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "plugins/output/handles_win.h"
#include "ui/internet_win.h"

namespace velmora::mpeg {

using output::UniqueKernelHandle;
using ui::UniqueInternet;
using output::UniqueKey;
using output::UniqueMenu;
using output::Utf8ToAnsi;

}  // namespace velmora::mpeg
