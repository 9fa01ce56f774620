// The nine display operations: every piece of player state the user sees goes through
// here, to the main window's controls or to an active design library, by a fixed rule.
#pragma once

#include <cstdint>
#include <string>

#include "design/design_sink.h"
#include "playlist/playlist.h"

namespace velmora {

// The main window's controls written by the display operations. The Win32 main window
// implements it; unit tests record what reaches it.
class MainView {
 public:
  virtual ~MainView() = default;
  virtual void SetStatusText(const std::string& text) = 0;        // banner2
  virtual void SetPositionTimeText(const std::string& text) = 0;  // poslab
  virtual void SetPositionValue(int32_t value) = 0;               // tb
  virtual void SetPositionMax(int32_t max) = 0;                   // tb maximum
  virtual void SetTotalTimeText(const std::string& text) = 0;     // lengthlab
  virtual void SetSongTitle(const std::string& text) = 0;         // Banner1 scroll text
  virtual void SetFrequencyText(const std::string& text) = 0;     // Freq
  virtual void SetLayerText(const std::string& text) = 0;         // lay
  virtual void SetBitrateText(const std::string& text) = 0;       // bitr
};

// It follows the playlist's current index itself: an active design library hears of
// every change (OnCurrentIndex), whoever makes it. Made with the model, before the main
// window: what it shows before the window attaches reaches no control.
class Display : public DesignSinkSlot, private PlaylistObserver {
 public:
  explicit Display(Playlist& playlist);
  Display(MainView& view, Playlist& playlist);
  ~Display() override;
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  // A null sink means no design library is active.
  void SetDesignSink(DesignSink* sink) override { sink_ = sink; }
  bool DesignLibraryActive() const { return sink_ != nullptr; }
  DesignSink* Sink() const override { return sink_; }

  // Library if active, otherwise window.
  void ShowStatus(const std::string& text);
  void ShowPositionTime(const std::string& text);
  void ShowPosition(int32_t value);
  // Window always, then library if active.
  void ShowTotalTime(const std::string& text);
  void SetPositionMax(int32_t max);
  void ShowSongTitle(const std::string& text);
  void ShowFrequency(const std::string& text);
  void ShowLayer(const std::string& text);
  void ShowBitrate(const std::string& text);

  // The status text the main window shows (the last one shown there; while a design
  // library is active the status goes to the library instead).
  const std::string& WindowStatus() const { return window_status_; }

  // The main window's controls from when its window exists until it goes (null: none).
  void AttachView(MainView* view);
  MainView& View() { return *view_; }
  const MainView& View() const { return *view_; }

 private:
  template <typename F>
  void ToSink(F&& call);
  // Routed like a display operation: only when a library is active, faults discarded.
  void OnCurrentIndexChanged(int32_t index) override;

  MainView* view_;
  Playlist& playlist_;
  DesignSink* sink_ = nullptr;
  std::string window_status_;
};

// "00" for 0, "0" + n for any other n below 10 (negative ones too), decimal otherwise.
std::string TwoDigits(long long n);

}  // namespace velmora
