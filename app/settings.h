// PlayerSettings: the persistent settings under HKEY_CURRENT_USER\Software\velmora.
// While the program runs the model below is the one place each setting lives; the
// options window and the menus show it and change it.
//
// The rules for reading, first-run defaults and writing live here, against the small
// SettingsStore interface, so they are the same for the registry and for the tests.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// (A value added here is also compared in Settings::SameValues.)
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
  // Where the auto update asks for the newest version; empty: the program's own address.
  // Read when present, never written.
  std::string UpdateUrl;
  // Visualisation modules get the playing sound itself where the input plug-in offers it.
  bool UsePlayingSound = false;
  // The media keys reach the player while another program has the focus.
  bool MediaKeys = true;
  // Ctrl+Alt+(Insert, End, PgUp, PgDn, Home, Up, Down) do the same from anywhere.
  bool GlobalKeys = false;
};

// The version every save writes.
// Follows the settings: menu marks and check boxes show the values as they are.
class SettingsObserver {
 public:
  virtual ~SettingsObserver() = default;
  virtual void OnSettingsChanged() = 0;
};

// The program's settings with their change signal. The values are read as they are
// (`settings->loop`, `*settings`) and changed only through Set or Update, which announce a
// change to every observer when a value really differs, so nobody has to remember to.
class Settings {
 public:
  Settings() = default;
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  const PlayerSettings& operator*() const { return values_; }
  const PlayerSettings* operator->() const { return &values_; }

  // One value; announced when it differs from the one held.
  template <class T, class V>
  void Set(T PlayerSettings::*member, V&& value) {
    if (values_.*member == value) return;
    values_.*member = std::forward<V>(value);
    Announce();
  }
  // Several values at once (`change` edits a copy); announced once when any differs.
  // True when something changed.
  template <class F>
  bool Update(F&& change) {
    PlayerSettings next = values_;
    change(next);
    if (SameValues(next, values_)) return false;
    values_ = std::move(next);
    Announce();
    return true;
  }

  // Every observer shows the values again although none changed: the stored values were
  // put in force at start, or something shown beside them changed outside them (another
  // program holds a media key the player asked for).
  void ShowAgain() { Announce(); }

  void AddObserver(SettingsObserver* observer);
  void RemoveObserver(SettingsObserver* observer);

 private:
  static bool SameValues(const PlayerSettings& a, const PlayerSettings& b);
  void Announce();

  PlayerSettings values_;
  std::vector<SettingsObserver*> observers_;
};

inline constexpr const char kSettingsVersion[] = "0.91";

// A failed read or write of one value (a missing value read without a test included).
class SettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The key Software\velmora. Reads of a missing value throw SettingsError, exactly like a
// failing store; callers that tolerate a missing value test HasValue first.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual bool KeyExists() = 0;
  // Creates the key (first run); false when that is impossible.
  virtual bool CreateKey() = 0;
  virtual bool HasValue(const std::string& name) = 0;
  virtual std::string ReadString(const std::string& name) = 0;
  virtual int32_t ReadInt(const std::string& name) = 0;
  virtual bool ReadBool(const std::string& name) = 0;
  virtual void WriteString(const std::string& name, const std::string& value) = 0;
  virtual void WriteInt(const std::string& name, int32_t value) = 0;
  virtual void WriteBool(const std::string& name, bool value) = 0;
};

// What the placement rule needs to know about the screen and the main window.
struct ScreenGeometry {
  int32_t screen_width = 0, screen_height = 0;
  int32_t window_width = 0, window_height = 0;
  int32_t window_left = 0, window_top = 0;  // the designed (current) position
};

// One coordinate of the main window: below 0 becomes 0; more than 20 pixels beyond the
// screen's extent becomes the centred value (screen - window) / 2.
int32_t ClampPlacement(int32_t value, int32_t screen_extent, int32_t window_extent);

struct SettingsReadResult {
  bool first_run = false;     // the key did not exist; the first-run values were written
  bool completed = false;     // every read of the list ran (false: a failure cut it short)
  int32_t top = 0, left = 0;  // the main window's position to apply
};

// Reads the whole list in its fixed order into `settings` (which holds the defaults on
// entry). A failure anywhere skips the rest of the list and leaves those values at their
// defaults; a missing `loop` or `autoplay` is such a failure, so both stay true.
// Without the key the first-run values are written instead.
SettingsReadResult ReadSettings(SettingsStore& store, PlayerSettings& settings,
                                const ScreenGeometry& screen);

// First run: exactly these eight values, in this order.
void WriteFirstRunValues(SettingsStore& store, int32_t left, int32_t top);

// The settings writer: every value except `design` and `Randomdesign`, in a fixed order.
// Writes nothing when the key does not exist (it is never created here). A failing write
// throws SettingsError and skips the rest.
void SaveSettings(SettingsStore& store, const PlayerSettings& settings);

// The command line: one argument as it is, several joined with one blank (a path with
// blanks arrives split). Empty for no arguments.
std::string JoinArguments(const std::vector<std::string>& arguments);

// A command-line text or chosen file name that names a playlist file (case-sensitive,
// anywhere in the text).
bool IsPlaylistText(const std::string& text);

// The stored playlist index when it names an existing entry, else 0.
int32_t RestoredIndex(int32_t stored, size_t count);

}  // namespace velmora
