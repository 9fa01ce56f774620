// Decoding and wave-out output on a thread of its own. The player's window thread only
// sets requests and reads state here; it never waits for the device or the network
// (Stop waits for the thread, which answers within one buffer).
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include <functional>

#include "plugins/output/audible_peaks.h"
#include "plugins/output/handles_win.h"
#include "plugins/output/pcm_decoder.h"

namespace velmora::output {

// One playback session, shared by the plug-in and the output thread: the plug-in may let
// go of it (a new file, or a thread that does not answer Stop in time) while the thread
// still finishes with it. A stream's network reading runs on the stream's own thread, so
// the output thread never waits for the network.
class Playback : public std::enable_shared_from_this<Playback> {
 public:
  // Told (from the output thread) when playback could not start or failed; the
  // receiver posts it to the window thread.
  using FailureNotice = void (*)(const char* message);

  Playback(HMODULE module, FailureNotice on_failure) : module_(module), on_failure_(on_failure) {}
  ~Playback() = default;
  Playback(const Playback&) = delete;
  Playback& operator=(const Playback&) = delete;

  // Opens the decoder on the output thread (a stream's open waits there, never on the
  // window thread, until the connection has data). Returns null when there is nothing to
  // play; `*failure` (a string literal) then says why, or stays null when the player
  // should just move on.
  using Opener = std::function<std::unique_ptr<PcmDecoder>(const char** failure)>;

  // Each session is started once, with one of these.
  // `seekable`: a file (a stream cannot seek). `abort` cuts a waiting open or read short
  // when Stop is called (may be empty).
  void Start(Opener open, bool seekable, std::function<void()> abort);
  // Ends at once with `ended` true (a file without playable audio).
  void StartNothing();

  void Stop();
  void TogglePause();
  void Seek(int32_t ms);

  // What the player's position timer asks: a paused session is neither playing nor
  // ended, only paused (a stream still connecting counts as playing).
  bool Playing() const { return Running() && !paused_.load(); }
  bool Paused() const { return Running() && paused_.load(); }
  bool Ended() const { return ended_.load(); }
  int32_t PositionMs();
  // Peaks of the last 50 ms the device has played; false (peaks 0) while nothing sounds.
  bool AudiblePeaksNow(int32_t* left, int32_t* right);
  // The 576 frames sounding now, per channel (0 when they are not known).
  int AudibleSamplesNow(int16_t* left, int16_t* right);

 private:
  bool Running() const { return active_.load() && !ended_.load(); }
  void Run();
  void Launch();
  void Finish(bool ended, const char* failure);

  HMODULE module_;
  FailureNotice on_failure_;
  UniqueKernelHandle thread_;
  UniqueKernelHandle wake_;  // requests from the window thread

  // What to play (set before the thread starts, read by it).
  Opener open_;
  bool seekable_ = false;
  std::function<void()> abort_;

  std::atomic<bool> active_{false};
  std::atomic<bool> ended_{false};
  std::atomic<bool> paused_{false};
  std::atomic<bool> stop_{false};
  std::atomic<int32_t> seek_ms_{-1};

  // Device and position, shared with PositionMs on the window thread.
  std::mutex device_mutex_;
  HWAVEOUT device_ = nullptr;
  int rate_ = 0;
  int64_t base_ms_ = 0;  // position of the first sample sent since the last reset
  std::atomic<int32_t> last_position_ms_{0};
  // Frames the device has played since it last counted from 0, and its rate; false while
  // nothing sounds.
  bool PlayedFrames(int64_t* played, int* rate);
  AudiblePeaks audible_;  // of the samples sent to the device since it last counted from 0
};

}  // namespace velmora::output
