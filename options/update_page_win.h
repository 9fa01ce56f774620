// The options window's "Update" page: "Check Now !" runs a check in the update window; the
// page shows the check's first steps in its status text.
#pragma once

#include <functional>
#include <memory>

#include "ui/options_page_win.h"
#include "options/update_window_win.h"

namespace velmora {

// `request` gives the check's address, installed version and proxy as they are now.
std::unique_ptr<OptionsPage> CreateUpdatePage(AutoUpdateWindow& updater,
                                              std::function<UpdateCheck::Request()> request);

}  // namespace velmora
