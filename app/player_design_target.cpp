#include "app/player_design_target.h"

#include <utility>

#include "design/design_host_services.h"

namespace velmora {

PlayerDesignTarget::PlayerDesignTarget(Player& player, Display& display, Volume& volume,
                                       Settings& settings,
                                       std::function<std::unique_ptr<SettingsStore>()> open_store)
    : player_(player),
      display_(display),
      volume_(volume),
      settings_(settings),
      open_store_(std::move(open_store)) {
  settings_.AddObserver(this);
}

PlayerDesignTarget::~PlayerDesignTarget() { settings_.RemoveObserver(this); }

void PlayerDesignTarget::SetVolume(int32_t volume) {
  player_.ShowVolumeSlider(volume);
  volume_.Set(volume);
  player_.SetSavedVolume(volume);
  display_.ShowStatus(VolumeStatusText(volume));
}

void PlayerDesignTarget::ShowTimeElapsed() {
  if (player_.TimeRemainingMode()) player_.ShowTimeElapsed();
}

void PlayerDesignTarget::SetOwnVolumeRuler(bool own) {
  player_.SetVolumeRulerImage(own);
  if (!own) player_.RaiseVolumeSliderByOne();
}

void PlayerDesignTarget::SetDefaultDesign(const std::string& name) {
  settings_.Set(&PlayerSettings::design, name);
  Store([&](SettingsStore& s) { s.WriteString("design", name); });
}

void PlayerDesignTarget::SetRandomDesign(bool on) {
  settings_.Set(&PlayerSettings::Randomdesign, on);
  Store([&](SettingsStore& s) { s.WriteBool("Randomdesign", on); });
}

void PlayerDesignTarget::Store(const std::function<void(SettingsStore&)>& write) {
  if (!open_store_) return;
  std::unique_ptr<SettingsStore> store = open_store_();
  if (!store) return;
  if (!store->KeyExists()) store->CreateKey();
  write(*store);
}

void PlayerDesignTarget::OnSettingsChanged() {
  if (listener_) listener_->PlayOrderChanged();
}

}  // namespace velmora
