// The pages of fixed content: Help (with its guided tours), History, About and Greetings.
#pragma once

#include <memory>
#include <string>

#include "options/help_tours.h"
#include "ui/options_page_win.h"

namespace velmora {

// `tours` walks the cursor for the Help page; `program_folder` holds the logo picture.
std::unique_ptr<OptionsPage> MakeHelpPage(TourHost& tours);
std::unique_ptr<OptionsPage> MakeHistoryPage();
std::unique_ptr<OptionsPage> MakeAboutPage(const std::string& program_folder);
std::unique_ptr<OptionsPage> MakeGreetingsPage();

}  // namespace velmora
