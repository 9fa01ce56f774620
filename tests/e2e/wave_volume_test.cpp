// The player's output level in-process: each way of reaching it reads back what was
// written, and the one the player uses makes a wave-out stream of the process quieter in
// the audio sink (a level kept on a stream of its own would read back and never be heard).
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/wave_volume_win.h"
#include "harness/harness.h"

namespace velmora::e2e {
namespace {

const char* Name(VolumeRoute r) {
  switch (r) {
    case VolumeRoute::device: return "device";
    case VolumeRoute::mixer: return "mixer";
    case VolumeRoute::session: return "session";
    case VolumeRoute::none: break;
  }
  return "none";
}

TEST(WaveVolumeLevels, BothChannelsCarryTheLevelAndTheBalanceTakesFromTheOtherSide) {
  for (int level = 0; level <= 255; ++level) {
    const ChannelLevels l = SplitLevel(level, 50);
    EXPECT_EQ(l.left, level * 256);
    EXPECT_EQ(l.right, level * 256);
    EXPECT_EQ(JoinLevel(l), level);
  }
  EXPECT_EQ(SplitLevel(300, 50), SplitLevel(255, 50));
  EXPECT_EQ(SplitLevel(-4, 50), SplitLevel(0, 50));
  EXPECT_EQ(SplitLevel(200, 0), (ChannelLevels{51200, 0}));
  EXPECT_EQ(SplitLevel(200, 100), (ChannelLevels{0, 51200}));
  EXPECT_EQ(SplitLevel(200, 25), (ChannelLevels{51200, 25600}));
  EXPECT_EQ(SplitLevel(200, 75), (ChannelLevels{25600, 51200}));
  EXPECT_EQ(SplitLevel(200, -10), SplitLevel(200, 0));
  EXPECT_EQ(SplitLevel(200, 140), SplitLevel(200, 100));
}

TEST(WaveVolume, EveryRouteReadsBackWhatWasWritten) {
  int reached = 0;
  for (VolumeRoute route : {VolumeRoute::device, VolumeRoute::mixer, VolumeRoute::session}) {
    WaveOutVolume volume(route);
    // A route the system does not offer hands over to the next one.
    if (volume.Route() != route) {
      RecordProperty(std::string(Name(route)) + "_route", "not offered");
      continue;
    }
    RecordProperty(std::string(Name(route)) + "_route", "offered");
    ++reached;
    SCOPED_TRACE(Name(route));
    for (int level : {0, 4, 5, 9, 100, 125, 199, 249, 250, 255}) {
      volume.Set(level);
      EXPECT_EQ(volume.Get(), level);
    }
    volume.Set(300);
    EXPECT_EQ(volume.Get(), 255);
    volume.Set(-3);
    EXPECT_EQ(volume.Get(), 0);
    // The balance moves level off the other channel: the right one alone reads as half.
    volume.Set(200);
    volume.SetBalance(100);
    EXPECT_EQ(volume.Get(), 100);
    volume.SetBalance(50);  // the balance moved back leaves the level whole
    EXPECT_EQ(volume.Get(), 200);
    volume.Set(255);
    EXPECT_EQ(volume.Get(), 255);
  }
  if (waveOutGetNumDevs() > 0) {
    EXPECT_GT(reached, 0) << "no way to set the level although there is an output device";
  }
}

// One second of a 1 kHz tone at 20000 through a wave-out stream of this process, played
// with the output level at `level`; the peak the sink received.
int PeakOfToneAt(WaveOutVolume& volume, int level) {
  volume.Set(level);
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = 2;
  f.nSamplesPerSec = 44100;
  f.wBitsPerSample = 16;
  f.nBlockAlign = 4;
  f.nAvgBytesPerSec = 44100 * 4;
  HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HWAVEOUT out = nullptr;
  if (waveOutOpen(&out, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT) !=
      MMSYSERR_NOERROR) {
    CloseHandle(done);
    return -1;
  }
  std::vector<int16_t> samples(44100 * 2);
  for (size_t i = 0; i < samples.size() / 2; ++i) {
    samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(
        20000 * std::sin(2 * 3.14159265358979 * 1000 * static_cast<double>(i) / 44100));
  }
  AudioSink sink;
  WAVEHDR h{};
  h.lpData = reinterpret_cast<LPSTR>(samples.data());
  h.dwBufferLength = static_cast<DWORD>(samples.size() * sizeof(int16_t));
  waveOutPrepareHeader(out, &h, sizeof h);
  waveOutWrite(out, &h, sizeof h);
  const DWORD start = GetTickCount();
  while (!(h.dwFlags & WHDR_DONE) && GetTickCount() - start < 10000) WaitForSingleObject(done, 100);
  waveOutReset(out);
  waveOutUnprepareHeader(out, &h, sizeof h);
  waveOutClose(out);
  CloseHandle(done);
  // The device hands its last period over a moment later.
  uint64_t last = ~0ull;
  for (int i = 0; i < 50 && sink.Size() != last; ++i) {
    last = sink.Size();
    Sleep(100);
  }
  return sink.Peak();
}

TEST(WaveVolume, TheLevelReachesTheProcessesOwnStreams) {
  if (!AudioSink::Available())
    GTEST_SKIP() << "VELMORA_AUDIO_SINK is not set (run by scripts/test.sh)";
  WaveOutVolume volume;
  ASSERT_NE(volume.Route(), VolumeRoute::none);
  RecordProperty("route", Name(volume.Route()));
  const int full = PeakOfToneAt(volume, 255);
  const int quarter = PeakOfToneAt(volume, 64);  // 64 * 256 / 65535: a quarter
  const int silent = PeakOfToneAt(volume, 0);
  volume.Set(255);
  SCOPED_TRACE(std::string("route ") + Name(volume.Route()));
  EXPECT_NEAR(full, 20000, 200);
  EXPECT_NEAR(quarter, 5000, 300) << "the level did not reach the stream";
  EXPECT_LT(silent, 100);
}

}  // namespace
}  // namespace velmora::e2e
