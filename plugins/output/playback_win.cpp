#include "plugins/output/playback_win.h"

#include <mmsystem.h>

#include <vector>

#include "plugins/output/library_thread_win.h"

namespace velmora::output {

namespace {

// A second of sound queued in four parts: the thread wakes four times a second to refill
// one (each hand-over to the device is a round trip through wine's audio thread), and
// requests (stop, pause, seek) wake it at once.
constexpr int kBuffers = 4;
constexpr int kBufferMs = 250;
constexpr DWORD kStopWaitMs = 5000;
// Longest sleep without news from the device or the window thread (a safety net only).
constexpr DWORD kIdleWaitMs = 1000;

}  // namespace

void Playback::Start(Opener open, bool seekable, std::function<void()> abort) {
  open_ = std::move(open);
  seekable_ = seekable;
  abort_ = std::move(abort);
  Launch();
}

void Playback::StartNothing() {
  active_ = true;
  ended_ = true;
}

void Playback::Launch() {
  active_ = true;
  ended_ = false;
  wake_.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  // The thread keeps this session alive until it has finished (and the library, see
  // StartLibraryThread), so neither can disappear under it.
  std::shared_ptr<Playback> self = shared_from_this();
  if (wake_)
    thread_ = StartLibraryThread([self] {
      try {
        self->Run();
      } catch (...) {
        self->Finish(true, "Playback failed");
      }
    });
  if (!thread_) Finish(true, "Cannot start the output thread");
}

void Playback::Finish(bool ended, const char* failure) {
  if (failure && on_failure_ && !stop_) on_failure_(failure);
  ended_ = ended && !stop_;
  if (stop_) active_ = false;
}

void Playback::Stop() {
  stop_ = true;
  if (abort_) abort_();
  if (wake_) SetEvent(wake_.get());
  if (thread_) WaitForSingleObject(thread_.get(), kStopWaitMs);
  active_ = false;
  ended_ = false;
}

void Playback::TogglePause() {
  if (!Running()) return;
  paused_ = !paused_;
  if (wake_) SetEvent(wake_.get());
}

void Playback::Seek(int32_t ms) {
  if (!Running() || !seekable_) return;
  seek_ms_ = ms < 0 ? 0 : ms;
  if (wake_) SetEvent(wake_.get());
}

int32_t Playback::PositionMs() {
  if (!active_) return 0;
  int32_t pending = seek_ms_.load();
  if (pending >= 0) return pending;
  if (ended_) return last_position_ms_.load();
  std::lock_guard<std::mutex> lock(device_mutex_);
  if (!device_ || rate_ <= 0) return last_position_ms_.load();
  MMTIME t{};
  t.wType = TIME_SAMPLES;
  if (waveOutGetPosition(device_, &t, sizeof(t)) != MMSYSERR_NOERROR) {
    return last_position_ms_.load();
  }
  int64_t samples = t.wType == TIME_SAMPLES ? t.u.sample
                    : t.wType == TIME_BYTES ? t.u.cb / PcmDecoder::kBytesPerFrame
                                            : 0;
  int32_t pos = static_cast<int32_t>(base_ms_ + samples * 1000 / rate_);
  last_position_ms_ = pos;
  return pos;
}

bool Playback::PlayedFrames(int64_t* played, int* rate) {
  if (!Playing() || Paused() || seek_ms_.load() >= 0) return false;
  std::lock_guard<std::mutex> lock(device_mutex_);
  if (!device_ || rate_ <= 0) return false;
  MMTIME t{};
  t.wType = TIME_SAMPLES;
  if (waveOutGetPosition(device_, &t, sizeof(t)) != MMSYSERR_NOERROR) return false;
  *played = t.wType == TIME_SAMPLES ? t.u.sample
            : t.wType == TIME_BYTES ? t.u.cb / PcmDecoder::kBytesPerFrame
                                    : 0;
  *rate = rate_;
  return true;
}

bool Playback::AudiblePeaksNow(int32_t* left, int32_t* right) {
  *left = *right = 0;
  int64_t played = 0;
  int rate = 0;
  return PlayedFrames(&played, &rate) && audible_.PeaksBefore(played, rate / 20, left, right);
}

int Playback::AudibleSamplesNow(int16_t* left, int16_t* right) {
  int64_t played = 0;
  int rate = 0;
  return PlayedFrames(&played, &rate) ? audible_.SamplesBefore(played, 576, left, right) : 0;
}

void Playback::Run() {
  const char* failure = nullptr;
  std::unique_ptr<PcmDecoder> opened = open_ ? open_(&failure) : nullptr;
  // Not playable after all: nothing to play, the player moves on.
  if (!opened) return Finish(true, failure);
  PcmDecoder& decoder = *opened;

  UniqueKernelHandle done(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (!done) return Finish(true, "Cannot start the output");
  WAVEHDR headers[kBuffers] = {};
  std::vector<uint8_t> data[kBuffers];
  bool queued[kBuffers] = {};

  auto any_queued = [&] {
    for (bool q : queued)
      if (q) return true;
    return false;
  };
  auto close_device = [&] {
    std::lock_guard<std::mutex> lock(device_mutex_);
    if (!device_) return;
    waveOutReset(device_);
    for (WAVEHDR& h : headers) {
      if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &h, sizeof(h));
    }
    waveOutClose(device_);
    device_ = nullptr;
    for (bool& q : queued) q = false;
  };
  auto open_device = [&](int rate) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = PcmDecoder::kChannels;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = PcmDecoder::kBytesPerFrame;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    HWAVEOUT device = nullptr;
    if (waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(done.get()), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
      return false;
    }
    size_t bytes = static_cast<size_t>(rate) * kBufferMs / 1000 * PcmDecoder::kBytesPerFrame;
    for (int i = 0; i < kBuffers; ++i) {
      data[i].assign(bytes, 0);
      headers[i] = WAVEHDR{};
      headers[i].lpData = reinterpret_cast<LPSTR>(data[i].data());
      headers[i].dwBufferLength = static_cast<DWORD>(bytes);
      waveOutPrepareHeader(device, &headers[i], sizeof(headers[i]));
    }
    std::lock_guard<std::mutex> lock(device_mutex_);
    device_ = device;
    rate_ = rate;
    audible_.Restart();
    return true;
  };

  if (!open_device(decoder.SampleRate())) return Finish(true, "No audio output device");

  bool applied_pause = false;
  bool eof = false;
  bool format_changed = false;
  while (!stop_) {
    if (paused_ != applied_pause) {
      applied_pause = paused_;
      std::lock_guard<std::mutex> lock(device_mutex_);
      if (applied_pause) {
        waveOutPause(device_);
      } else {
        waveOutRestart(device_);
      }
    }
    int32_t seek = seek_ms_.load();
    if (seek >= 0) {
      {
        std::lock_guard<std::mutex> lock(device_mutex_);
        waveOutReset(device_);
        if (applied_pause) waveOutPause(device_);
        audible_.Restart();
      }
      for (bool& q : queued) q = false;
      int rate = decoder.SampleRate();
      int64_t reached = decoder.SeekSample(static_cast<int64_t>(seek) * rate / 1000);
      eof = reached < 0;
      {
        std::lock_guard<std::mutex> lock(device_mutex_);
        base_ms_ = reached < 0 ? seek : reached * 1000 / rate;
        last_position_ms_ = static_cast<int32_t>(base_ms_);
      }
      seek_ms_.compare_exchange_strong(seek, -1);
    }
    for (int i = 0; i < kBuffers; ++i) {
      if (queued[i] && (headers[i].dwFlags & WHDR_DONE)) queued[i] = false;
    }
    for (int i = 0; i < kBuffers && !eof && !format_changed && !stop_; ++i) {
      if (queued[i]) continue;
      size_t filled = 0;
      const size_t capacity = data[i].size();
      while (filled < capacity && seek_ms_.load() < 0 && !stop_) {
        size_t got = 0;
        PcmDecoder::Status status = decoder.Read(data[i].data() + filled, capacity - filled, &got);
        filled += got;
        if (status == PcmDecoder::Status::new_format) {
          format_changed = true;
          break;
        }
        if (status == PcmDecoder::Status::done || status == PcmDecoder::Status::error) {
          eof = true;
          break;
        }
      }
      if (filled == 0) continue;
      headers[i].dwBufferLength = static_cast<DWORD>(filled);
      headers[i].dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
      std::lock_guard<std::mutex> lock(device_mutex_);
      if (waveOutWrite(device_, &headers[i], sizeof(headers[i])) == MMSYSERR_NOERROR) {
        queued[i] = true;
        audible_.Written(reinterpret_cast<const int16_t*>(data[i].data()),
                         filled / PcmDecoder::kBytesPerFrame);
      }
    }
    if (!any_queued() && seek_ms_.load() < 0) {
      if (format_changed) {
        // Everything of the old rate has been heard: carry on at the new one.
        int32_t heard = PositionMs();
        close_device();
        {
          std::lock_guard<std::mutex> lock(device_mutex_);
          base_ms_ = heard;
        }
        format_changed = false;
        if (!open_device(decoder.SampleRate())) return Finish(true, "No audio output device");
        {
          std::lock_guard<std::mutex> lock(device_mutex_);
          if (applied_pause) waveOutPause(device_);
        }
        continue;
      }
      if (eof) break;
    }
    HANDLE waits[2] = {wake_.get(), done.get()};
    WaitForMultipleObjects(2, waits, FALSE, kIdleWaitMs);
  }
  if (!stop_) PositionMs();  // the final position stays readable after the end
  close_device();
  Finish(true, nullptr);
}

}  // namespace velmora::output
