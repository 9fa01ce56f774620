// The main window's popup menus, built from tables: the general menu ("Setupop"), the tray
// menu, the Play, Stop and Pause buttons' menus and the title's, and the command of each
// entry's id (the ids other programs may send are in main_window_ids_win.h).
#pragma once

#include <windows.h>

#include <optional>

#include "app/settings.h"
#include "ui/command.h"

namespace velmora {

// The command of a popup-menu entry of the main window; none for other ids.
std::optional<CommandKind> CommandForMenuId(int id);

// The marks of the general menu's check entries from the settings.
void SetGeneralMenuMarks(HMENU menu, const PlayerSettings& settings);

// The general popup menu ("Setupop") with the settings' check marks; the caller owns it.
HMENU CreateGeneralMenu(const PlayerSettings& settings);

// The tray icon's menu (MinimizedPopup); the caller owns it.
HMENU CreateTrayMenu();

enum class ButtonMenu { Play, Stop, Pause, Title };
// A button's popup menu (the title's: Scroll / Do not Scroll); the caller owns it. The
// Pause menu's entries are enabled as the player says (SetPauseMenuEnabled).
HMENU CreateButtonMenu(ButtonMenu which);
void SetPauseMenuEnabled(HMENU menu, bool fadeout_enabled, bool fadein_enabled);

}  // namespace velmora
