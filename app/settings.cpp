#include "app/settings.h"

#include <algorithm>
#include <tuple>

namespace velmora {

int32_t ClampPlacement(int32_t value, int32_t screen_extent, int32_t window_extent) {
  if (value < 0) return 0;
  if (value > screen_extent + 20) return (screen_extent - window_extent) / 2;
  return value;
}

namespace {

// Each read in the list sets the model value when the store holds it.
void ReadBoolIfPresent(SettingsStore& store, const char* name, bool& target) {
  if (store.HasValue(name)) target = store.ReadBool(name);
}
void ReadIntIfPresent(SettingsStore& store, const char* name, int32_t& target) {
  if (store.HasValue(name)) target = store.ReadInt(name);
}
void ReadIntIfPresent(SettingsStore& store, const char* name, std::optional<int32_t>& target) {
  if (store.HasValue(name)) target = store.ReadInt(name);
}
void ReadStringIfPresent(SettingsStore& store, const char* name, std::string& target) {
  if (store.HasValue(name)) target = store.ReadString(name);
}

// The list of an existing key, in its order. Throws at the first failure.
void ReadList(SettingsStore& store, PlayerSettings& s, const ScreenGeometry& g,
              SettingsReadResult& result) {
  // The design name: a stored empty name, or none at all, becomes "Default" (and is stored).
  std::string design;
  if (store.HasValue("design")) {
    design = store.ReadString("design");
  } else {
    design = "Default";
    store.WriteString("design", design);
  }
  if (design.empty()) {
    design = "Default";
    store.WriteString("design", design);
  }
  s.design = design;

  if (store.HasValue("Randomdesign")) {
    s.Randomdesign = store.ReadBool("Randomdesign");
  } else {
    s.Randomdesign = false;
    store.WriteBool("Randomdesign", false);
  }

  s.Multiple = store.HasValue("Multiple") ? store.ReadBool("Multiple") : false;

  ReadBoolIfPresent(store, "Transparency", s.Transparency);
  ReadBoolIfPresent(store, "EasyMove", s.EasyMove);
  ReadBoolIfPresent(store, "Randomplay", s.Randomplay);
  ReadBoolIfPresent(store, "Fadeplay", s.Fadeplay);
  ReadBoolIfPresent(store, "Fadestop", s.Fadestop);

  s.Version = store.HasValue("Version") ? store.ReadString("Version") : std::string();

  ReadBoolIfPresent(store, "Fadepause", s.Fadepause);
  ReadBoolIfPresent(store, "Nag", s.Nag);
  ReadIntIfPresent(store, "Minimize", s.Minimize);

  // Placement: a stored position, or the centred one; then kept on the screen.
  const int32_t centred_top = (g.screen_height - g.window_height) / 2;
  const int32_t centred_left = (g.screen_width - g.window_width) / 2;
  int32_t top = store.HasValue("Top") ? store.ReadInt("Top") : centred_top;
  result.top = ClampPlacement(top, g.screen_height, g.window_height);
  s.Top = result.top;
  int32_t left = store.HasValue("Left") ? store.ReadInt("Left") : centred_left;
  result.left = ClampPlacement(left, g.screen_width, g.window_width);
  s.Left = result.left;

  ReadBoolIfPresent(store, "ToTop", s.ToTop);
  ReadBoolIfPresent(store, "UseProxy", s.UseProxy);
  ReadStringIfPresent(store, "Host", s.Host);
  ReadStringIfPresent(store, "Port", s.Port);
  ReadStringIfPresent(store, "User", s.User);
  ReadStringIfPresent(store, "Password", s.Password);
  ReadBoolIfPresent(store, "LogErrors", s.LogErrors);
  ReadBoolIfPresent(store, "ShadowMode", s.ShadowMode);
  ReadIntIfPresent(store, "VisibleMode", s.VisibleMode);
  ReadBoolIfPresent(store, "EnableTooltips", s.EnableTooltips);
  ReadBoolIfPresent(store, "UsePlayingSound", s.UsePlayingSound);
  ReadBoolIfPresent(store, "MediaKeys", s.MediaKeys);
  ReadBoolIfPresent(store, "GlobalKeys", s.GlobalKeys);
  ReadIntIfPresent(store, "PWidth", s.PWidth);
  ReadIntIfPresent(store, "PHeight", s.PHeight);
  ReadIntIfPresent(store, "CurrentFile", s.CurrentFile);
  ReadStringIfPresent(store, "UpdateUrl", s.UpdateUrl);

  // `loop` and `autoplay` have no existence test: a missing one ends the list, and both
  // keep their defaults because they are assigned only after both were read.
  const bool loop = store.ReadBool("loop");
  const bool autoplay = store.ReadBool("autoplay");
  s.loop = loop;
  s.autoplay = autoplay;
}

}  // namespace

SettingsReadResult ReadSettings(SettingsStore& store, PlayerSettings& settings,
                                const ScreenGeometry& screen) {
  SettingsReadResult result;
  result.top = screen.window_top;
  result.left = screen.window_left;
  if (!store.KeyExists()) {
    result.first_run = true;
    settings.design = "Default";
    settings.Top = screen.window_top;
    settings.Left = screen.window_left;
    try {
      if (store.CreateKey()) WriteFirstRunValues(store, screen.window_left, screen.window_top);
      result.completed = true;
    } catch (const std::exception&) {}
    return result;
  }
  try {
    ReadList(store, settings, screen, result);
    result.completed = true;
  } catch (const std::exception&) {
    // The rest of the list keeps its defaults.
  }
  return result;
}

void WriteFirstRunValues(SettingsStore& store, int32_t left, int32_t top) {
  store.WriteBool("Multiple", false);
  store.WriteString("design", "Default");
  store.WriteBool("autoplay", true);
  store.WriteBool("loop", true);
  store.WriteInt("Minimize", 1);
  store.WriteBool("Randomdesign", false);
  store.WriteInt("Left", left);
  store.WriteInt("Top", top);
}

void SaveSettings(SettingsStore& store, const PlayerSettings& s) {
  if (!store.KeyExists()) return;
  store.WriteInt("Minimize", s.Minimize);
  store.WriteBool("autoplay", s.autoplay);
  store.WriteBool("loop", s.loop);
  if (s.Top) store.WriteInt("Top", *s.Top);
  if (s.Left) store.WriteInt("Left", *s.Left);
  if (s.PWidth) store.WriteInt("PWidth", *s.PWidth);
  if (s.PHeight) store.WriteInt("PHeight", *s.PHeight);
  store.WriteBool("Multiple", s.Multiple);
  store.WriteBool("Transparency", s.Transparency);
  store.WriteBool("EasyMove", s.EasyMove);
  store.WriteBool("Randomplay", s.Randomplay);
  store.WriteBool("Fadeplay", s.Fadeplay);
  store.WriteBool("Fadestop", s.Fadestop);
  store.WriteBool("Fadepause", s.Fadepause);
  store.WriteBool("ToTop", s.ToTop);
  store.WriteBool("Nag", s.Nag);
  store.WriteBool("UseProxy", s.UseProxy);
  store.WriteString("Host", s.Host);
  store.WriteString("Port", s.Port);
  store.WriteString("User", s.User);
  store.WriteString("Password", s.Password);
  store.WriteString("Version", kSettingsVersion);
  store.WriteInt("CurrentFile", s.CurrentFile);
  store.WriteBool("LogErrors", s.LogErrors);
  store.WriteBool("ShadowMode", s.ShadowMode);
  store.WriteInt("VisibleMode", s.VisibleMode);
  store.WriteBool("EnableTooltips", s.EnableTooltips);
  store.WriteBool("UsePlayingSound", s.UsePlayingSound);
  store.WriteBool("MediaKeys", s.MediaKeys);
  store.WriteBool("GlobalKeys", s.GlobalKeys);
}

std::string JoinArguments(const std::vector<std::string>& arguments) {
  std::string text;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i) text += ' ';
    text += arguments[i];
  }
  return text;
}

bool IsPlaylistText(const std::string& text) { return text.find(".m3u") != std::string::npos; }

int32_t RestoredIndex(int32_t stored, size_t count) {
  if (count == 0) return 0;
  return (stored >= 0 && static_cast<size_t>(stored) <= count - 1) ? stored : 0;
}

void Settings::AddObserver(SettingsObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void Settings::RemoveObserver(SettingsObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

bool Settings::SameValues(const PlayerSettings& a, const PlayerSettings& b) {
  const auto tie = [](const PlayerSettings& s) {
    return std::tie(s.design, s.Randomdesign, s.Multiple, s.autoplay, s.loop, s.Minimize, s.Top,
                    s.Left, s.PWidth, s.PHeight, s.Transparency, s.EasyMove, s.Randomplay,
                    s.Fadeplay, s.Fadestop, s.Fadepause, s.ToTop, s.Nag, s.UseProxy, s.Host,
                    s.Port, s.User, s.Password, s.Version, s.CurrentFile, s.LogErrors,
                    s.ShadowMode, s.VisibleMode, s.EnableTooltips, s.UpdateUrl,
                    s.UsePlayingSound, s.MediaKeys, s.GlobalKeys);
  };
  return tie(a) == tie(b);
}

void Settings::Announce() {
  const std::vector<SettingsObserver*> observers = observers_;  // one may leave meanwhile
  for (SettingsObserver* observer : observers)
    if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
      observer->OnSettingsChanged();
}

}  // namespace velmora
