// TForm12, the VU meter window, as the rest of the program sees it.
#pragma once

#include <windows.h>

#include <memory>

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
// visualisation host.
std::unique_ptr<VuMeterControl> CreateVuWindow(ErrorSink& errors, PeakMeter& meter);

}  // namespace velmora
