// The player core as the design code reaches it. The player lives above the designs, so
// the design code states here what it needs and the application adapts its player,
// display, output and settings to it.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// The wave output's balance, 0-100 (50 centred).
class OutputBalance {
 public:
  virtual ~OutputBalance() = default;
  virtual void SetBalance(int balance) = 0;
};

// Told when random play or loop change, wherever they are changed from.
class PlayOrderListener {
 public:
  virtual ~PlayOrderListener() = default;
  virtual void PlayOrderChanged() = 0;
};

class DesignHostTarget {
 public:
  virtual ~DesignHostTarget() = default;

  // --- the player ---
  // Position slider units to the plug-in's position units.
  virtual int32_t PositionScale() const = 0;
  // The volume a design library sets, as moving the volume slider there would: slider,
  // device, the level to return to, and the percentage on the status line.
  virtual void SetVolume(int32_t volume) = 0;
  // A folder design's colours of the time label, elapsed and remaining.
  virtual void SetTimeColours(uint32_t elapsed, uint32_t remaining) = 0;
  // The time label shows elapsed time from here on.
  virtual void ShowTimeElapsed() = 0;
  // Whether the design brings its own volume ruler. Without one the volume slider is
  // raised by one, which shows the built-in thumb picture for the level.
  virtual void SetOwnVolumeRuler(bool own) = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  // The shutdown has begun (it may have run inside a message pump of the design code).
  virtual bool Closing() const = 0;

  // --- the settings ---
  // The design chosen as default, and whether a random design is chosen at start-up;
  // both are stored at once when set.
  virtual std::string DefaultDesign() const = 0;
  virtual void SetDefaultDesign(const std::string& name) = 0;
  virtual bool RandomDesign() const = 0;
  virtual void SetRandomDesign(bool on) = 0;
  virtual bool Transparency() const = 0;
  virtual bool RandomPlay() const = 0;
  virtual bool Loop() const = 0;
  // One listener at a time; null to stop listening.
  virtual void SetPlayOrderListener(PlayOrderListener* listener) = 0;
};

}  // namespace velmora
