// The player, its display, the wave output and the settings adapted to what the design
// code needs of them (DesignHostTarget).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/display.h"
#include "app/host.h"
#include "app/player.h"
#include "app/settings.h"
#include "design/design_host_target.h"

namespace velmora {

class PlayerDesignTarget : public DesignHostTarget, private SettingsObserver {
 public:
  // `open_store` opens the settings store for the two design settings written at once.
  PlayerDesignTarget(Player& player, Display& display, Volume& volume, Settings& settings,
                     std::function<std::unique_ptr<SettingsStore>()> open_store);
  ~PlayerDesignTarget() override;
  PlayerDesignTarget(const PlayerDesignTarget&) = delete;
  PlayerDesignTarget& operator=(const PlayerDesignTarget&) = delete;

  int32_t PositionScale() const override { return player_.PositionScale(); }
  void SetVolume(int32_t volume) override;
  void SetTimeColours(uint32_t elapsed, uint32_t remaining) override {
    player_.SetTimeColours(elapsed, remaining);
  }
  void ShowTimeElapsed() override;
  void SetOwnVolumeRuler(bool own) override;
  void ShowStatus(const std::string& text) override { display_.ShowStatus(text); }
  bool Closing() const override { return player_.Closing(); }

  std::string DefaultDesign() const override { return settings_->design; }
  void SetDefaultDesign(const std::string& name) override;
  bool RandomDesign() const override { return settings_->Randomdesign; }
  void SetRandomDesign(bool on) override;
  bool Transparency() const override { return settings_->Transparency; }
  bool RandomPlay() const override { return settings_->Randomplay; }
  bool Loop() const override { return settings_->loop; }
  void SetPlayOrderListener(PlayOrderListener* listener) override { listener_ = listener; }

 private:
  void OnSettingsChanged() override;
  // Opens the store, making the key on a first run, and writes.
  void Store(const std::function<void(SettingsStore&)>& write);

  Player& player_;
  Display& display_;
  Volume& volume_;
  Settings& settings_;
  std::function<std::unique_ptr<SettingsStore>()> open_store_;
  PlayOrderListener* listener_ = nullptr;
};

}  // namespace velmora
