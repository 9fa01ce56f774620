// The player's output level: both channels of the first wave-output device on a 0-255
// scale, with a balance (0-100, 50 = equal) that takes level off the opposite channel.
// Writing v at balance 50 sets both channels to v * 256; reading gives (left + right) / 512,
// so the value written is read back. Without any wave-output device nothing is written
// and reads give 0.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "app/host.h"

namespace velmora {

// One channel pair on the device's 0-0xFFFF scale.
struct ChannelLevels {
  uint16_t left = 0;
  uint16_t right = 0;
  bool operator==(const ChannelLevels& o) const { return left == o.left && right == o.right; }
};

// `level` (clamped to 0-255) split by `balance` (clamped to 0-100): towards 0 the right
// channel fades, towards 100 the left one.
ChannelLevels SplitLevel(int level, int balance);
// The 0-255 level a channel pair reads as.
int JoinLevel(ChannelLevels levels);

// Where the level is set, tried in this order when the volume is first used:
//  - device:  the first device's volume (waveOutSetVolume with device number 0); on
//             current Windows that is the program's own volume, which every stream of
//             the process (the plug-in's included) plays at;
//  - mixer:   where the device refuses a device-wide volume and keeps volumes per open
//             stream only (wine), the master volume of the first device's mixer, which
//             there is the volume of the session all the process's wave-out streams
//             share; one level for both channels (the balance has no effect);
//  - session: the process's audio session of the default output (Core Audio), per
//             channel where the session offers channel volumes.
// A volume of another stream (of our own) would be read back faithfully and never heard.
enum class VolumeRoute { none, device, mixer, session };

class WaveOutVolume : public Volume {
 public:
  // `first` makes the probe start at that route (tests reach each one this way);
  // none, the default, starts at the device.
  explicit WaveOutVolume(VolumeRoute first = VolumeRoute::none);
  ~WaveOutVolume() override;
  WaveOutVolume(const WaveOutVolume&) = delete;
  WaveOutVolume& operator=(const WaveOutVolume&) = delete;

  int Get() const override;
  void Set(int level) override;
  void SetBalance(int balance) override;

  // The route in use (probes on first call); none without any output device.
  VolumeRoute Route() const;

  // One way of reaching the output level.
  class Control {
   public:
    virtual ~Control() = default;
    virtual bool Read(ChannelLevels* levels) = 0;
    virtual bool Write(ChannelLevels levels) = 0;
  };

 private:
  Control* Target() const;

  VolumeRoute first_;
  int balance_ = 50;
  mutable bool probed_ = false;
  mutable VolumeRoute route_ = VolumeRoute::none;
  mutable std::unique_ptr<Control> control_;
};

}  // namespace velmora
