// The owners of the system handles the shipped input plug-ins use: the program's handle
// owners (header-only, so each plug-in's own library carries them), and the text
// conversion their windows need.
#pragma once

#include <windows.h>

#include <string>

#include "ui/handles_win.h"

namespace velmora::output {

using UniqueKernelHandle = ui::UniqueHandle;
using ui::UniqueKey;
using ui::UniqueMenu;

// UTF-8 (what the tag readers produce) to the 8-bit system code page.
std::string Utf8ToAnsi(const std::string& utf8);

// Text in the 8-bit system code page as UTF-8.
std::string AnsiToUtf8(const std::string& text);

}  // namespace velmora::output
