// Where the display operations send the player's state while a design library draws the
// player: the library's notification slots (DesignSink), and the place that routes the
// display there (DesignSinkSlot, the program's display operations).
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// The notification slots of an active design library. Any slot may throw (a fault
// inside the library is reported as an exception by the guarded caller).
class DesignSink {
 public:
  virtual ~DesignSink() = default;
  virtual void OnStatus(const std::string& text) = 0;
  virtual void OnPositionTime(const std::string& text) = 0;
  virtual void OnPosition(int32_t value) = 0;
  virtual void OnTotalTime(const std::string& text) = 0;
  virtual void OnPositionMax(int32_t max) = 0;
  virtual void OnSongTitle(const std::string& text) = 0;
  virtual void OnFrequency(const std::string& text) = 0;
  virtual void OnLayer(const std::string& text) = 0;
  virtual void OnBitrate(const std::string& text) = 0;
  virtual void OnCurrentIndex(int32_t index) = 0;
};

class DesignSinkSlot {
 public:
  virtual ~DesignSinkSlot() = default;
  // A null sink means no design library is active.
  virtual void SetDesignSink(DesignSink* sink) = 0;
  virtual DesignSink* Sink() const = 0;
};

}  // namespace velmora
