#include "app/main_menus_win.h"

#include <cstddef>

#include "app/main_window_ids_win.h"
#include "ui/handles_win.h"

namespace velmora {

namespace {

using namespace main_menu;

// A menu row: an entry with its id, a sub-menu holding the rows one level deeper that
// follow it, or a separator.
constexpr int kSubMenu = -1, kSeparator = -2;
struct MenuRow {
  int level;
  int id;
  const char* text;
};

constexpr MenuRow kGeneralMenu[] = {
    {0, kNews, "&News"},
    {0, kHelp, "&Help\tF1"},
    {0, kAbout, "&About...\tAlt+A"},
    {0, kSubMenu, "&Actions"},
    {1, kPlaylist, "&Playlist Editor\tAlt+P"},
    {1, kOpen, "&Open files\tAlt+O"},
    {1, kRegister, "Register Filetype"},
    {1, kLink, "Create link"},
    {1, kMemory, "&Memory Info \tAlt+M"},
    {0, kSubMenu, "&Preferences"},
    {1, kSubMenu, "Fading"},
    {2, kFadeStop, "Fade Stop"},
    {2, kFadePlay, "Fade Play"},
    {2, kFadePause, "Fade Pause"},
    {1, kSubMenu, "Appearance"},
    {2, kDesign, "&Design\tAlt+D"},
    {2, kTransparency, "Transparency"},
    {2, kEasyMove, "&Easy Move\tAlt+E"},
    {1, kSubMenu, "Misc"},
    {2, kAutoPlay, "Auto Play"},
    {2, kRandom, "Random"},
    {2, kLoop, "Loop"},
    {1, kGeneral, "&General\tAlt+G"},
    {1, kSound, "Sound\tAlt+S"},
    {0, kSubMenu, "Plugins/Addons"},
    {1, kDesignInfos, "Design Infos"},
    {1, kInputPlugins, "Input Plugins"},
    {1, kVisualisation, "Visualisation"},
    {0, kSubMenu, "Play/Stop/.."},
    {1, kPlay, "Play\tP"},
    {1, kStop, "Stop\tS"},
    {1, kPause, "Pause (Pause button)"},
    {1, kNext, "Next Track\tN"},
    {1, kPrev, "Prev Track\tR"},
    {0, kSubMenu, "Execute"},
    {1, kVuMeter, "Vu Meter\tAlt+V"},
    {1, kVisualisationPlugin, "Visualisation Plugin"},
    {0, kSeparator, nullptr},
    {0, kExit, "Exit"},
};

constexpr MenuRow kTrayMenu[] = {
    {0, kSubMenu, "Actions"},
    {1, kPlay, "Play"},
    {1, kStop, "Stop"},
    {1, kPause, "Pause"},
    {1, kNext, "Next Track"},
    {1, kPrev, "Prev Track"},
    {0, kSubMenu, "Options"},
    {1, kDesign, "Design"},
    {1, kSound, "Sound"},
    {1, kInputPlugins, "Input Plugins"},
    {1, kGeneral, "General options"},
    {0, kSeparator, nullptr},
    {0, kRestore, "Restore"},
    {0, kExit, "Exit"},
};

constexpr MenuRow kPlayMenu[] = {{0, kFadeInPlay, "Fade In"}};
constexpr MenuRow kStopMenu[] = {{0, kFadeOutStop, "Fade Out"}};
constexpr MenuRow kPauseMenu[] = {{0, kPauseFadeOut, "Fadeout"}, {0, kPauseFadeIn, "Fadein"}};
constexpr MenuRow kTitleMenu[] = {{0, kScroll, "Scroll"}, {0, kNoScroll, "Do not Scroll"}};

constexpr struct {
  int id;
  CommandKind command;
} kMenuCommands[] = {
    {kFadeInPlay, CommandKind::FadeInPlay},
    {kFadeOutStop, CommandKind::FadeOutStop},
    {kPauseFadeOut, CommandKind::FadeOutPause},
    {kPauseFadeIn, CommandKind::FadeInPause},
    {kScroll, CommandKind::ScrollTitle},
    {kNoScroll, CommandKind::StopTitleScroll},
    {kNews, CommandKind::ShowNews},
    {kHelp, CommandKind::ShowHelp},
    {kAbout, CommandKind::ShowAbout},
    {kPlaylist, CommandKind::ShowPlaylist},
    {kOpen, CommandKind::OpenFiles},
    {kRegister, CommandKind::ShowFileTypes},
    {kLink, CommandKind::ShowFileTypes},
    {kMemory, CommandKind::ShowMemoryInfo},
    {kFadeStop, CommandKind::ToggleFadeStop},
    {kFadePlay, CommandKind::ToggleFadePlay},
    {kFadePause, CommandKind::ToggleFadePause},
    {kDesign, CommandKind::ShowDesignChooser},
    {kTransparency, CommandKind::ToggleTransparency},
    {kEasyMove, CommandKind::ToggleEasyMove},
    {kAutoPlay, CommandKind::ToggleAutoPlay},
    {kRandom, CommandKind::ToggleRandom},
    {kLoop, CommandKind::ToggleLoop},
    {kGeneral, CommandKind::ShowGeneralOptions},
    {kSound, CommandKind::ShowSoundOptions},
    {kDesignInfos, CommandKind::ShowDesignInfo},
    {kInputPlugins, CommandKind::ShowInputPlugins},
    {kVisualisation, CommandKind::ShowVisualisation},
    {kPlay, CommandKind::Play},
    {kStop, CommandKind::Stop},
    {kPause, CommandKind::Pause},
    {kNext, CommandKind::NextTrack},
    {kPrev, CommandKind::PrevTrack},
    {kVuMeter, CommandKind::ShowVuMeter},
    {kExit, CommandKind::Exit},
    {kVisualisationPlugin, CommandKind::StartOrStopVisualisation},
    {kRestore, CommandKind::Restore},
};

// The general menu's check entries and the setting each one shows.
constexpr struct {
  int id;
  bool PlayerSettings::*setting;
} kMenuMarks[] = {
    {kFadeStop, &PlayerSettings::Fadestop},   {kFadePlay, &PlayerSettings::Fadeplay},
    {kFadePause, &PlayerSettings::Fadepause}, {kTransparency, &PlayerSettings::Transparency},
    {kEasyMove, &PlayerSettings::EasyMove},   {kAutoPlay, &PlayerSettings::autoplay},
    {kRandom, &PlayerSettings::Randomplay},   {kLoop, &PlayerSettings::loop},
};

// Appends rows[*next ..] of `level` to `menu`, each sub-menu with the deeper rows after it.
// A sub-menu is owned by its menu once appended.
void AppendRows(HMENU menu, const MenuRow* rows, size_t count, size_t* next, int level) {
  while (*next < count && rows[*next].level == level) {
    const MenuRow& row = rows[(*next)++];
    if (row.id == kSeparator) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else if (row.id == kSubMenu) {
      ui::UniqueMenu sub(CreatePopupMenu());
      AppendRows(sub.get(), rows, count, next, level + 1);
      if (sub && AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub.get()), row.text))
        sub.release();
    } else {
      AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(row.id), row.text);
    }
  }
}

template <size_t N>
HMENU BuildMenu(const MenuRow (&rows)[N]) {
  ui::UniqueMenu menu(CreatePopupMenu());  // destroys the sub-menus with it
  if (!menu) return nullptr;
  size_t next = 0;
  AppendRows(menu.get(), rows, N, &next, 0);
  return menu.release();
}

}  // namespace

std::optional<CommandKind> CommandForMenuId(int id) {
  for (const auto& entry : kMenuCommands)
    if (entry.id == id) return entry.command;
  return std::nullopt;
}

void SetGeneralMenuMarks(HMENU menu, const PlayerSettings& s) {
  for (const auto& mark : kMenuMarks)
    CheckMenuItem(menu, static_cast<UINT>(mark.id),
                  MF_BYCOMMAND | (s.*mark.setting ? MF_CHECKED : MF_UNCHECKED));
}

HMENU CreateGeneralMenu(const PlayerSettings& s) {
  HMENU menu = BuildMenu(kGeneralMenu);
  if (menu) SetGeneralMenuMarks(menu, s);
  return menu;
}

HMENU CreateTrayMenu() { return BuildMenu(kTrayMenu); }

HMENU CreateButtonMenu(ButtonMenu which) {
  switch (which) {
    case ButtonMenu::Play: return BuildMenu(kPlayMenu);
    case ButtonMenu::Stop: return BuildMenu(kStopMenu);
    case ButtonMenu::Pause: return BuildMenu(kPauseMenu);
    case ButtonMenu::Title: return BuildMenu(kTitleMenu);
  }
  return nullptr;
}

void SetPauseMenuEnabled(HMENU menu, bool fadeout_enabled, bool fadein_enabled) {
  if (!menu) return;
  EnableMenuItem(menu, kPauseFadeOut, MF_BYCOMMAND | (fadeout_enabled ? MF_ENABLED : MF_GRAYED));
  EnableMenuItem(menu, kPauseFadeIn, MF_BYCOMMAND | (fadein_enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace velmora
