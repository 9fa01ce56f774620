#include "app/global_keys_win.h"

#include "app/display.h"
#include "app/media_keys.h"

namespace velmora {

namespace {
constexpr char kClassName[] = "VelmoraKeys";
constexpr int kFirstHotKeyId = 0x100;  // + the key's place in GlobalKeys()
constexpr char kMediaKeysTakenText[] = "Media keys are used by another program";
}  // namespace

GlobalKeyRegistration::GlobalKeyRegistration(ErrorSink& errors, Settings& settings,
                                             CommandSink& commands, Display& display)
    : ui::TopLevelWindow(errors),
      settings_(settings),
      commands_(commands),
      display_(display),
      registered_(GlobalKeys().size(), false),
      taken_(GlobalKeys().size(), false) {
  ui::TopLevelClass cls;
  cls.unicode = true;
  cls.name = kClassName;
  CreateTopLevel(cls, 0, "", 0, 0, 0, 0, 0, HWND_MESSAGE);
  settings_.AddObserver(this);
}

GlobalKeyRegistration::~GlobalKeyRegistration() {
  settings_.RemoveObserver(this);
  ReleaseAll();
  DestroyTopLevel();
}

void GlobalKeyRegistration::Start() {
  started_ = true;
  // The options window shows in the box's hint what another program holds.
  if (Apply()) settings_.ShowAgain();
}

bool GlobalKeyRegistration::MediaKeysTaken() const {
  const auto& keys = GlobalKeys();
  for (size_t i = 0; i < keys.size(); ++i)
    if (taken_[i] && keys[i].group == GlobalKeyGroup::MediaKeys) return true;
  return false;
}

void GlobalKeyRegistration::OnSettingsChanged() {
  if (started_) Apply();
}

bool GlobalKeyRegistration::Apply() {
  if (!hwnd_) return false;
  const bool was_taken = MediaKeysTaken();
  const auto& keys = GlobalKeys();
  for (size_t i = 0; i < keys.size(); ++i) {
    const bool wanted =
        keys[i].group == GlobalKeyGroup::MediaKeys ? settings_->MediaKeys : settings_->GlobalKeys;
    const int id = kFirstHotKeyId + static_cast<int>(i);
    if (wanted && !registered_[i] && !taken_[i]) {
      if (RegisterHotKey(hwnd_, id, keys[i].modifiers, keys[i].virtual_key))
        registered_[i] = true;
      else
        taken_[i] = true;
    } else if (!wanted) {
      if (registered_[i]) UnregisterHotKey(hwnd_, id);
      registered_[i] = false;
      taken_[i] = false;  // asked again when checked again
    }
  }
  const bool taken = MediaKeysTaken();
  if (taken && !told_) display_.ShowStatus(kMediaKeysTakenText);
  told_ = taken;
  return taken != was_taken;
}

void GlobalKeyRegistration::ReleaseAll() {
  if (!hwnd_) return;
  for (size_t i = 0; i < registered_.size(); ++i) {
    if (registered_[i]) UnregisterHotKey(hwnd_, kFirstHotKeyId + static_cast<int>(i));
    registered_[i] = false;
  }
}

LRESULT GlobalKeyRegistration::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_HOTKEY) {
    const auto index = static_cast<size_t>(static_cast<int>(wp) - kFirstHotKeyId);
    if (index < GlobalKeys().size() && registered_[index])
      commands_.Execute(MediaKeyCommand(GlobalKeys()[index].command));
    return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace velmora
