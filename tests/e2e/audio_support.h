// Shared by the audio and fade checks: the real test media (made by
// tests/media/make_media.sh), the player started on it with chosen settings, and the
// analysis of what reached the ALSA sink file (raw s16le stereo 44.1 kHz, see harness.h).
//
// The sink keeps no time of its own, so these checks look at what was played (pitch,
// length of the audible part, order of the parts), never at how long it took. Wine puts a
// stretch of silence in front of what it hands the device whenever it holds less than a
// period at its turn: after a restart (a resume, a seek) and when its own feeding thread
// came late on a busy machine. The sink records that moment as a hole of 10 to 30 ms in
// the middle of the sound; pitch and length are measured so that such a hole does not
// count as sound (see Frequency and HeardSeconds).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "external_ctl.h"
#include "harness/harness.h"
#include "sound_measure.h"
#include "ui/control_ids.h"

namespace velmora::e2e::audio {

constexpr double kRate = AudioSink::kRate;
// One second of sink data in bytes.
constexpr uint64_t kBytesPerSecond = AudioSink::kRate * AudioSink::kChannels * 2;

// Folder of the generated media: VELMORA_MEDIA, else <exe dir>\..\media (where the build
// of the suite makes it).
inline std::string MediaFolder() {
  char buffer[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableA("VELMORA_MEDIA", buffer, sizeof buffer);
  if (n > 0 && n < sizeof buffer) return std::string(buffer, n);
  return ExeFolder() + "\\..\\media";
}

// Copies a media file into the test's program folder (under "media\") and returns its
// full path there, or "" when the media was never made.
inline std::string CopyMedia(const TestFolder& folder, const std::string& name) {
  const std::string from = MediaFolder() + "\\" + name;
  const std::string to = folder.File("media\\" + name);
  CreateDirectoryA(folder.File("media").c_str(), nullptr);
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return {};
  return to;
}

// Settings under the player's key. The list ends at the first value missing, so the two
// without a presence test (loop, autoplay) are always written.
struct Settings {
  bool autoplay = true;
  bool loop = false;
  bool Fadeplay = false;
  bool Fadestop = false;
  bool Fadepause = false;
};

inline void WriteSettings(const Settings& s) {
  registry::ClearSettings();
  registry::WriteString("design", "Default");
  registry::WriteDword("Randomdesign", 0);
  registry::WriteDword("Multiple", 0);
  registry::WriteDword("Fadeplay", s.Fadeplay);
  registry::WriteDword("Fadestop", s.Fadestop);
  registry::WriteDword("Fadepause", s.Fadepause);
  registry::WriteDword("Nag", 0);
  registry::WriteDword("LogErrors", 0);
  registry::WriteDword("loop", s.loop);
  registry::WriteDword("autoplay", s.autoplay);
}

inline std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// --- sink analysis --------------------------------------------------------------------

inline std::vector<int16_t> LeftChannel(const std::vector<int16_t>& interleaved) {
  std::vector<int16_t> left;
  left.reserve(interleaved.size() / 2);
  for (size_t i = 0; i + 1 < interleaved.size(); i += 2) left.push_back(interleaved[i]);
  return left;
}

// The part between the first and the last sample above the noise floor.
struct Audible {
  size_t begin = 0, end = 0;
  double Seconds() const { return static_cast<double>(end - begin) / kRate; }
};

inline Audible FindAudible(const std::vector<int16_t>& s, size_t from = 0, int threshold = 300) {
  Audible a;
  size_t i = std::min(from, s.size());
  while (i < s.size() && std::abs(s[i]) < threshold) ++i;
  size_t j = s.size();
  while (j > i && std::abs(s[j - 1]) < threshold) --j;
  a.begin = i;
  a.end = j;
  return a;
}

using sound::Frequency;
using sound::SilentSamples;

// Seconds of sound in `a`: its length without the holes wine left in it (silence being
// below `threshold`).
inline double HeardSeconds(const std::vector<int16_t>& s, const Audible& a, int threshold = 300) {
  return static_cast<double>(a.end - a.begin - SilentSamples(s, a.begin, a.end, 88, threshold)) /
         kRate;
}

// Largest |sample| of [begin, end).
inline int PeakOf(const std::vector<int16_t>& s, size_t begin, size_t end) {
  int peak = 0;
  for (size_t i = begin; i < end && i < s.size(); ++i) peak = std::max(peak, std::abs(int{s[i]}));
  return peak;
}

// Waits until the sink has stopped growing for `quiet_ms` (the device handed over its last
// period); false when it still grows after `timeout_ms`.
inline bool WaitSinkQuiet(const AudioSink& sink, int quiet_ms = 400, int timeout_ms = 10000) {
  uint64_t last = sink.Size();
  DWORD since = GetTickCount();
  return WaitUntil(
      [&] {
        const uint64_t now = sink.Size();
        if (now != last) {
          last = now;
          since = GetTickCount();
          return false;
        }
        return static_cast<int>(GetTickCount() - since) >= quiet_ms;
      },
      timeout_ms);
}

// --- the player's windows ---------------------------------------------------------------

inline std::string Status(HWND main) { return ControlText(main, ids::banner2); }

// The playlist window (TForm3) of the player, which holds `plct` and the "playing" label.
inline HWND PlaylistWindow(const PlayerProcess& player) {
  return player.FindWindowOfClass("TForm3");
}

inline std::string CurrentIndexText(const PlayerProcess& player) {
  return ControlText(PlaylistWindow(player), ids::plct);
}

// A top-level window of the player's process with this class and title, shown.
inline HWND VisibleWindowOf(const PlayerProcess& player, const char* cls, const char* title) {
  HWND w = player.FindWindowOfClass(cls, title);
  return w && IsWindowVisible(w) ? w : nullptr;
}

// The library scan (which runs on the options window's timer once the start-up is done)
// has filled the extension table: before it, no file type is known and play fails.
inline bool WaitPluginScan(PlayerProcess& player, int timeout_ms = kDefaultTimeoutMs) {
  HWND options = player.FindWindowOfClassWait("TForm2", timeout_ms);
  return options && WaitUntil([&] { return ListCount(options, ids::Dlls) >= 1; }, timeout_ms);
}

struct TextSearch {
  const std::string* text;
  bool found;
};

inline BOOL CALLBACK FindChildText(HWND child, LPARAM lp) {
  auto* search = reinterpret_cast<TextSearch*>(lp);
  if (WindowText(child) == *search->text) search->found = true;
  return TRUE;
}

// The player's message boxes that say `text`.
inline std::vector<HWND> MessageBoxesSaying(const PlayerProcess& player, const std::string& text) {
  std::vector<HWND> found;
  for (HWND w : TopLevelWindowsOf(player.Pid())) {
    if (!IsWindowVisible(w) || ClassNameOf(w) != "#32770") continue;
    TextSearch search{&text, false};
    EnumChildWindows(w, FindChildText, reinterpret_cast<LPARAM>(&search));
    if (search.found) found.push_back(w);
  }
  return found;
}

// Waits for a message box of the player saying `text` and answers it with OK.
inline bool AnswerMessageBox(const PlayerProcess& player, const std::string& text,
                             int timeout_ms = kDefaultTimeoutMs) {
  if (!WaitUntil([&] { return !MessageBoxesSaying(player, text).empty(); }, timeout_ms))
    return false;
  PostMessageA(MessageBoxesSaying(player, text)[0], WM_COMMAND, IDOK, 0);
  return WaitUntil([&] { return MessageBoxesSaying(player, text).empty(); }, timeout_ms);
}

// Starts the player and waits until it is ready to play files.
inline HWND StartReady(PlayerProcess& player, const TestFolder& folder,
                       const LaunchOptions& options = {}) {
  // Without a sound device wine probes every audio driver first: the start takes longer.
  const int timeout_ms = options.no_audio_device ? 3 * kDefaultTimeoutMs : kDefaultTimeoutMs;
  if (!player.Start(folder, options) || !player.WaitForStartup(timeout_ms)) return nullptr;
  if (!WaitPluginScan(player, timeout_ms)) return nullptr;
  return player.MainWindow();
}

// The track has ended and the player has nothing more to play: the last entry without
// loop shows "Stop" as its time.
inline bool WaitForStopDisplay(HWND main, int timeout_ms = 30000) {
  return WaitForControlText(main, ids::poslab, "Stop", timeout_ms);
}

}  // namespace velmora::e2e::audio
