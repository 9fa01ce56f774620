// TForm7, "Auto Updating": the small window that shows how a check goes and offers
// "Cancel". It runs the check (UpdateCheck) with WinINet, keeps the files in the program's
// Temp folder and starts the installer with the program folder as its argument.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "options/update_check.h"
#include "ui/error_sink.h"

namespace velmora {

class AutoUpdateWindow {
 public:
  virtual ~AutoUpdateWindow() = default;
  // "Check Now !": the whole check; returns when it is over (messages run meanwhile).
  virtual void CheckForUpdate(const UpdateCheck::Request& request) = 0;
  // "Cancel", and the program's close: aborts the request in flight, or hides the window.
  virtual void CancelUpdate() = 0;
  // Where the first texts of a check go (the options window's Update page).
  virtual void SetPageStatusOutput(std::function<void(const std::string&)> output) = 0;
};

std::unique_ptr<AutoUpdateWindow> CreateUpdateWindow(const std::string& program_folder,
                                                 ErrorSink& errors);

// The address the check asks when the setting names none.
inline constexpr char kDefaultUpdateUrl[] = "https://velmora.org/update/info.ini";

}  // namespace velmora
