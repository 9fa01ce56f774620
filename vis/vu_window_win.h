// TForm12, the VU meter window, as the rest of the program sees it.
#pragma once

#include <windows.h>

#include <memory>

namespace velmora {

struct App;

class VuMeterControl {
 public:
  virtual ~VuMeterControl() = default;
  virtual HWND Handle() const = 0;
  // Shown, with the meter running.
  virtual void Show() = 0;
};

std::unique_ptr<VuMeterControl> CreateVuWindow(App& app);

}  // namespace velmora
