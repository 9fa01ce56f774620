// The plug-in's decoding path: libmpg123 reading through a ByteSource (a window of a
// file, or a network stream), always producing signed 16-bit stereo. Free of window-system
// calls so that the benchmark can drive exactly the code the plug-in runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <atomic>
#include <cstdio>
#include <string>

#include "ui/unique_file.h"

struct mpg123_handle_struct;

namespace velmora::mpeg {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Bytes read, 0 at the end, -1 on failure.
  virtual long Read(void* buffer, size_t count) = 0;
  // New offset, or -1 when the source cannot seek.
  virtual int64_t Seek(int64_t offset, int whence) = 0;
};

// The bytes [begin, end) of a file: the audio between the tags, so the decoder never
// meets tag bytes it might mistake for frames.
class FileWindowSource : public ByteSource {
 public:
  FileWindowSource(const std::string& path, uint64_t begin, uint64_t end);
  ~FileWindowSource() override;
  FileWindowSource(const FileWindowSource&) = delete;
  FileWindowSource& operator=(const FileWindowSource&) = delete;
  bool IsOpen() const { return file_ != nullptr; }
  // Reads fail once `*cancel` is set (from another thread), which ends a scan early.
  void SetCancel(const std::atomic<bool>* cancel) { cancel_ = cancel; }
  long Read(void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, int whence) override;

 private:
  ui::UniqueFile file_;
  uint64_t begin_, end_, pos_ = 0;
  const std::atomic<bool>* cancel_ = nullptr;
};

class MpegDecoder {
 public:
  enum class Status { ok, new_format, done, error };

  MpegDecoder();
  ~MpegDecoder();
  MpegDecoder(const MpegDecoder&) = delete;
  MpegDecoder& operator=(const MpegDecoder&) = delete;

  // Opens the source (kept, not owned) and reads up to the first frame; libmpg123 decides
  // whether the bytes are MPEG audio (junk before the first frame and free-format frames
  // included). With `scan` (seekable sources only) the whole source is scanned once so
  // that the length is exact for VBR files without an Xing/Info header too.
  bool Open(ByteSource* source, bool seekable, bool scan);
  // The same scan after opening: reads every frame header of the source. False when the
  // source cannot seek or the scan failed (the length is then libmpg123's estimate).
  bool Scan();
  // Whether libmpg123 found MPEG audio rather than a few header-like bytes in something
  // else: its first `needed` frames follow each other without a gap, or fewer do and the
  // last of them ends the source (`source_bytes` long). Leaves the decoder at the start.
  bool FramesFollowEachOther(int needed, uint64_t source_bytes);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

  int SampleRate() const { return rate_; }
  static constexpr int kChannels = 2;
  static constexpr int kBytesPerFrame = 4;  // one stereo sample frame, 16 bit

  // Decodes into `out`; `*got` bytes (whole sample frames). new_format means the sample
  // rate changed (SampleRate() tells the new one) and nothing was decoded.
  Status Read(uint8_t* out, size_t capacity, size_t* got);

  // Exact after a scan or with an Xing/Info header, otherwise estimated from the size of
  // the source and the first frames; -1 when unknown (streams).
  int64_t LengthSamples() const;
  int64_t SeekSample(int64_t sample);  // the sample actually reached, or -1
  int64_t TellSample() const;

  int Layer() const;
  int SamplesPerFrame() const;
  int BitrateKbps() const;  // of the current frame
  bool IsVbr() const;

  static bool InitLibrary();

 private:
  mpg123_handle_struct* handle_ = nullptr;
  int rate_ = 0;
  int empty_reads_ = 0;
  bool seekable_ = false;
};

}  // namespace velmora::mpeg
