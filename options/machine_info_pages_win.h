// The Memory Infos and System Info pages: figures of the machine, read each time the page
// is refreshed.
#pragma once

#include <memory>

#include "ui/options_page_win.h"

namespace velmora {

std::unique_ptr<OptionsPage> MakeMemoryPage();
std::unique_ptr<OptionsPage> MakeSystemPage();

}  // namespace velmora
