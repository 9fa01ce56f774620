// PlayerSettings: the persistent settings under HKEY_CURRENT_USER\Software\velmora.
// While the program runs the model below is the one place each setting lives; the
// options window and the menus show it and change it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

struct PlayerSettings {
  std::string design = "Default";
  bool Randomdesign = false;
  bool Multiple = false;
  bool autoplay = true;
  bool loop = true;
  int32_t Minimize = 1;  // 0 task bar, 1 tray, 2 both
  std::optional<int32_t> Top, Left;
  std::optional<int32_t> PWidth, PHeight;
  bool Transparency = true;
  bool EasyMove = false;
  bool Randomplay = false;
  bool Fadeplay = false;
  bool Fadestop = false;
  bool Fadepause = false;
  bool ToTop = false;
  bool Nag = true;
  bool UseProxy = false;
  std::string Host, Port, User, Password;
  std::string Version;  // the stored version; always written as "0.91"
  int32_t CurrentFile = 0;
  bool LogErrors = false;
  bool ShadowMode = false;
  int32_t VisibleMode = 0;
  bool EnableTooltips = true;
};

}  // namespace velmora
