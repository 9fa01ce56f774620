// The General and Web pages of the options window, and the tables of the settings their
// controls are: the window keeps each control and its setting in step.
#pragma once

#include <memory>

#include "options/option_settings.h"
#include "ui/options_page_win.h"
#include "ui/control_ids.h"

namespace velmora {

// The general page's check boxes and the setting each one is (the main window's menu
// entries toggle the same settings, so box and menu mark always agree).
struct CheckBoxSpec {
  int id;
  const char* caption;
  OptionFlag setting;
};
inline constexpr CheckBoxSpec kCheckBoxes[] = {
    {ids::cbAutoplay, "Auto play", OptionFlag::autoplay},
    {ids::cbLoop, "Loop", OptionFlag::loop},
    {ids::cbMultiple, "Allow multiple instance", OptionFlag::Multiple},
    {ids::cbToTop, "Always on top", OptionFlag::ToTop},
    {ids::cbNag, "Show news on startup", OptionFlag::Nag},
    {ids::cbTransparency, "Transparency", OptionFlag::Transparency},
    {ids::cbEnableTooltips, "Enable Tooltips", OptionFlag::EnableTooltips},
    {ids::cbShadowMode, "Shadow Mode", OptionFlag::ShadowMode},
    {ids::cbFadeStop, "Fade when stop", OptionFlag::Fadestop},
    {ids::cbFadePlay, "Fade when play", OptionFlag::Fadeplay},
    {ids::cbFadePause, "Fade when pause", OptionFlag::Fadepause},
    {ids::cbEasyMove, "Easy Move", OptionFlag::EasyMove},
    {ids::cbRandomPlay, "Random Play", OptionFlag::Randomplay},
    // The General page's two key boxes, below its radio groups.
    {ids::cbMediaKeys, "Global media keys", OptionFlag::MediaKeys},
    {ids::cbGlobalKeys, "Global keys", OptionFlag::GlobalKeys},
    // On other pages.
    {ids::cbUseProxy, "Use a proxy ", OptionFlag::UseProxy},
    {ids::cbLogErrors, "Log all errors to errors.log", OptionFlag::LogErrors},
};
inline constexpr char kMediaKeysHint[] = "The media keys work while another program has the focus";
inline constexpr char kGlobalKeysHint[] =
    "Ctrl+Alt+Insert Play/Pause, End Stop, PgUp/PgDn Previous/Next Track, Up/Down Volume, "
    "Home Mute, from any program";
inline constexpr int kGeneralCheckBoxes = 13;

// The two radio groups: the same three items, index = position.
inline constexpr const char* kPlaceItems[] = {"Task Bar Only", "Tray Bar Only",
                                              "Both Task and Tray Bar"};
struct RadioGroupSpec {
  int group_id;
  int first_item_id;
  const char* caption;
  OptionChoice setting;
};
// The proxy fields and the setting each one is.
struct TextFieldSpec {
  int id;
  OptionText setting;
};
inline constexpr TextFieldSpec kProxyFields[] = {{ids::edHost, OptionText::Host},
                                                 {ids::edPort, OptionText::Port},
                                                 {ids::edUser, OptionText::User},
                                                 {ids::edPassword, OptionText::Password}};

inline constexpr RadioGroupSpec kRadioGroups[] = {
    {ids::rgMinimize, ids::rgMinimize0, "Minimize to :", OptionChoice::Minimize},
    {ids::rgVisibleMode, ids::rgVisibleMode0, "Visible on :", OptionChoice::VisibleMode},
};

std::unique_ptr<OptionsPage> MakeGeneralPage();
std::unique_ptr<OptionsPage> MakeWebPage();

}  // namespace velmora
