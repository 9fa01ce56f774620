// TForm12, the VU meter window, as the rest of the program sees it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "ui/hint_echo.h"

namespace velmora {

class ErrorSink;
class PeakMeter;

class VuMeterControl {
 public:
  virtual ~VuMeterControl() = default;
  virtual HWND Handle() const = 0;
  // Shown, with the meter running.
  virtual void Show() = 0;
};

// The window reads the program's meter connection, which it shares with the
// visualisation host. `hints`: where its hint goes besides its tooltip. `closing`: true
// while the program shuts down, when closing the window does nothing.
std::unique_ptr<VuMeterControl> CreateVuWindow(ErrorSink& errors, PeakMeter& meter,
                                               ui::HintEcho& hints,
                                               std::function<bool()> closing = nullptr);

}  // namespace velmora
