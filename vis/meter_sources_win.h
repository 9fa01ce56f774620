// Where the VU meter's levels come from on Windows. The mixer's peak meter on the
// wave-output source line comes first; systems whose mixer has none (Windows Vista and
// later, wine) fall back to the meter of the default output device, and where that is
// missing too, to the peaks that the current input plug-in reports of what it plays.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "plugins/input_plugin_abi.h"
#include "vis/vu_meter.h"

namespace velmora {

class SystemMeterOpener : public MeterSourceOpener {
 public:
  struct Hooks {
    // Tells the user why there is no meter ("No Wave Devices to open", ...).
    std::function<void(const char* message)> show_message;
    // Full path of the current input plug-in library, "" when none. Window thread only.
    std::function<std::string()> current_plugin_path;
  };
  explicit SystemMeterOpener(Hooks hooks) : hooks_(std::move(hooks)) {}

  // Opening the meter: no wave-out device, or no mixer for it, is told to the user and
  // leaves no source; a mixer that cannot be opened leaves none silently; a mixer without
  // a peak meter on the wave-output line hands over to the fallbacks.
  std::unique_ptr<MeterSource> Open() override;

 private:
  Hooks hooks_;
};

// Window thread: asks the input plug-in loaded from `plugin_path` what it sounds now
// (`record->size` says how much of the record the caller passes). True while it plays and
// reported at least the peaks; a plug-in without the entry, or one that faults, gives
// false.
bool ReadAudiblePeaks(const std::string& plugin_path, VelmoraAudiblePeaks* record);

// The message box that tells why there is no meter.
void ShowMeterMessage(const char* message);

}  // namespace velmora
