// The Sound Options page (the balance) and the Design Info page.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "design/design_host_services.h"
#include "options/design_info.h"
#include "ui/options_page_win.h"

namespace velmora {

// `balance` gives the program's balance once the design libraries have made it (null
// before).
std::unique_ptr<OptionsPage> MakeSoundPage(std::function<SoundBalance*()> balance);
std::unique_ptr<OptionsPage> MakeDesignInfoPage(DesignInfoSource& designs);

}  // namespace velmora
