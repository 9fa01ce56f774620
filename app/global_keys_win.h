// The player's keys for the whole desktop: the media keys ("Global media keys") and the
// Ctrl+Alt keys ("Global keys"), registered as hot keys on a message-only window of the
// player's while their setting is on and released at once when it goes off, or when this
// object goes. A key another program holds already is left to it; the others still work.
#pragma once

#include <windows.h>

#include <vector>

#include "app/settings.h"
#include "ui/command.h"
#include "ui/top_level_window_win.h"

namespace velmora {

class Display;

class GlobalKeyRegistration : public ui::TopLevelWindow, private SettingsObserver {
 public:
  GlobalKeyRegistration(ErrorSink& errors, Settings& settings, CommandSink& commands,
                        Display& display);
  ~GlobalKeyRegistration() override;

  // From now on (the start-up is done) the keys follow their settings.
  void Start();
  // Some media key the player asked for is held by another program.
  bool MediaKeysTaken() const;

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnSettingsChanged() override;
  // Registers what the settings ask for and releases the rest; true when what is taken
  // changed.
  bool Apply();
  void ReleaseAll();

  Settings& settings_;
  CommandSink& commands_;
  Display& display_;
  bool started_ = false;
  bool told_ = false;  // the status line said that media keys are taken
  std::vector<bool> registered_, taken_;
};

}  // namespace velmora
