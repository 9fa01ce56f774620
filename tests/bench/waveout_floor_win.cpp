// Helper of scripts/bench.sh: the least a program can do to play audio through wave-out.
// It plays a raw file of S16_LE stereo 44.1 kHz samples (already decoded) with a few
// large buffers and sleeps on the device's event between refills, so what it costs
// under wine is wine's own share of playing: its audio thread and server round trips.
//
//   waveout_floor FILE.raw [BUFFER_MS]     (default 250 ms, four buffers)
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const int buffer_ms = argc > 2 ? std::atoi(argv[2]) : 250;
  FILE* in = std::fopen(argv[1], "rb");
  if (!in) return 1;

  constexpr int kBuffers = 4;
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = 44100;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = 44100 * 4;
  HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HWAVEOUT device = nullptr;
  if (waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(done), 0,
                  CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    std::fclose(in);
    return 1;
  }
  const size_t bytes = static_cast<size_t>(44100) * 4 * buffer_ms / 1000;
  std::vector<char> data[kBuffers];
  WAVEHDR headers[kBuffers] = {};
  bool queued[kBuffers] = {};
  for (int i = 0; i < kBuffers; ++i) {
    data[i].resize(bytes);
    headers[i].lpData = data[i].data();
    headers[i].dwBufferLength = static_cast<DWORD>(bytes);
    waveOutPrepareHeader(device, &headers[i], sizeof(headers[i]));
  }
  bool eof = false;
  for (;;) {
    bool any = false;
    for (int i = 0; i < kBuffers; ++i) {
      if (queued[i] && (headers[i].dwFlags & WHDR_DONE)) queued[i] = false;
      if (!queued[i] && !eof) {
        const size_t got = std::fread(data[i].data(), 1, bytes, in);
        if (got == 0) {
          eof = true;
        } else {
          headers[i].dwBufferLength = static_cast<DWORD>(got);
          if (waveOutWrite(device, &headers[i], sizeof(headers[i])) == MMSYSERR_NOERROR)
            queued[i] = true;
        }
      }
      any = any || queued[i];
    }
    if (!any && eof) break;
    WaitForSingleObject(done, INFINITE);
  }
  waveOutReset(device);
  for (WAVEHDR& h : headers) waveOutUnprepareHeader(device, &h, sizeof(h));
  waveOutClose(device);
  CloseHandle(done);
  std::fclose(in);
  return 0;
}
