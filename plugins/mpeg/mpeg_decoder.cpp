#include "plugins/mpeg/mpeg_decoder.h"

#include "plugins/mpeg/id3.h"

#include <mpg123.h>

#include <algorithm>
#include <mutex>

namespace velmora::mpeg {

namespace {

int SeekFile(std::FILE* f, int64_t offset) {
#ifdef _WIN32
  return _fseeki64(f, offset, SEEK_SET);
#else
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET);
#endif
}

mpg123_ssize_t ReadCallback(void* handle, void* buffer, size_t count) {
  return static_cast<ByteSource*>(handle)->Read(buffer, count);
}

off_t SeekCallback(void* handle, off_t offset, int whence) {
  int64_t r = static_cast<ByteSource*>(handle)->Seek(offset, whence);
  return r < 0 ? static_cast<off_t>(-1) : static_cast<off_t>(r);
}

// Reads that return nothing without reporting the end, in a row, before the decoder is
// treated as finished; keeps a broken stream from spinning the output thread forever.
constexpr int kMaxEmptyReads = 64;
// Bytes of anything else libmpg123 may skip before the first frame (and over damage in
// the middle); keeps the open of a large foreign file short.
constexpr long kResyncLimit = 1 << 20;

}  // namespace

FileWindowSource::FileWindowSource(const std::string& path, uint64_t begin, uint64_t end)
    : file_(OpenFileForReading(path)), begin_(begin), end_(std::max(begin, end)) {
  if (file_ && SeekFile(file_.get(), static_cast<int64_t>(begin_)) != 0) file_.reset();
}

FileWindowSource::~FileWindowSource() = default;

long FileWindowSource::Read(void* buffer, size_t count) {
  if (!file_ || (cancel_ && cancel_->load())) return -1;
  uint64_t left = end_ - begin_ - pos_;
  size_t want = static_cast<size_t>(std::min<uint64_t>(count, left));
  if (want == 0) return 0;
  size_t got = std::fread(buffer, 1, want, file_.get());
  pos_ += got;
  if (got == 0 && std::ferror(file_.get())) return -1;
  return static_cast<long>(got);
}

int64_t FileWindowSource::Seek(int64_t offset, int whence) {
  if (!file_) return -1;
  int64_t size = static_cast<int64_t>(end_ - begin_);
  int64_t target = whence == SEEK_SET   ? offset
                   : whence == SEEK_CUR ? static_cast<int64_t>(pos_) + offset
                                        : size + offset;
  if (target < 0) return -1;
  // Past the end is allowed (reads then return 0), as with a file.
  if (SeekFile(file_.get(), static_cast<int64_t>(begin_) + target) != 0) return -1;
  pos_ = static_cast<uint64_t>(target);
  if (pos_ > end_ - begin_) pos_ = end_ - begin_;
  return target;
}

bool MpegDecoder::InitLibrary() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] { ok = mpg123_init() == MPG123_OK; });
  return ok;
}

MpegDecoder::MpegDecoder() = default;

MpegDecoder::~MpegDecoder() { Close(); }

void MpegDecoder::Close() {
  if (handle_) {
    mpg123_close(handle_);
    mpg123_delete(handle_);
    handle_ = nullptr;
  }
  rate_ = 0;
  empty_reads_ = 0;
  seekable_ = false;
}

bool MpegDecoder::Open(ByteSource* source, bool seekable, bool scan) {
  Close();
  if (!InitLibrary()) return false;
  int err = MPG123_OK;
  mpg123_handle* mh = mpg123_new(nullptr, &err);
  if (!mh) return false;
  handle_ = mh;
  // Stereo 16 bit at whatever rate the stream has, so the output never needs converting
  // beyond what the decoder does. "Frankenstein" streams (other MPEG streams appended to
  // one with an Info header) end where the header says: otherwise a sample-rate change
  // in the middle would make lengths and seeks meaningless.
  long flags = MPG123_FORCE_STEREO | MPG123_QUIET | MPG123_GAPLESS | MPG123_NO_FRANKENSTEIN;
  if (!seekable) flags |= MPG123_SEEKBUFFER;
  mpg123_param(mh, MPG123_ADD_FLAGS, flags, 0);
  mpg123_param(mh, MPG123_RESYNC_LIMIT, kResyncLimit, 0);
  mpg123_format_none(mh);
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i)
    mpg123_format(mh, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_replace_reader_handle(mh, ReadCallback, SeekCallback, nullptr) != MPG123_OK ||
      mpg123_open_handle(mh, source) != MPG123_OK) {
    Close();
    return false;
  }
  seekable_ = seekable;
  if (scan) Scan();
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
    Close();
    return false;
  }
  rate_ = static_cast<int>(rate);
  return true;
}

bool MpegDecoder::Scan() { return handle_ && seekable_ && mpg123_scan(handle_) == MPG123_OK; }

bool MpegDecoder::FramesFollowEachOther(int needed, uint64_t source_bytes) {
  if (!handle_) return false;
  mpg123_frameinfo info{};
  off_t pos = mpg123_framepos(handle_);
  if (pos < 0 || mpg123_info(handle_, &info) != MPG123_OK) return false;
  int64_t end = static_cast<int64_t>(pos) + info.framesize;
  bool chained = true;
  for (int frames = 1; frames < needed && chained;) {
    int r = mpg123_framebyframe_next(handle_);
    if (r == MPG123_DONE) {
      chained = end == static_cast<int64_t>(source_bytes);
      break;
    }
    if (r != MPG123_OK && r != MPG123_NEW_FORMAT) return false;
    pos = mpg123_framepos(handle_);
    if (pos != end || mpg123_info(handle_, &info) != MPG123_OK) return false;
    end = static_cast<int64_t>(pos) + info.framesize;
    ++frames;
  }
  mpg123_seek(handle_, 0, SEEK_SET);
  return chained;
}

MpegDecoder::Status MpegDecoder::Read(uint8_t* out, size_t capacity, size_t* got) {
  *got = 0;
  if (!handle_) return Status::error;
  size_t done = 0;
  int r = mpg123_read(handle_, out, capacity - capacity % kBytesPerFrame, &done);
  *got = done - done % kBytesPerFrame;
  switch (r) {
    case MPG123_OK:
      if (*got == 0 && ++empty_reads_ > kMaxEmptyReads) return Status::done;
      if (*got) empty_reads_ = 0;
      return Status::ok;
    case MPG123_NEW_FORMAT: {
      long rate = 0;
      int channels = 0, encoding = 0;
      if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
        return Status::error;
      }
      rate_ = static_cast<int>(rate);
      if (*got) return Status::ok;  // the format change is reported again on the next call
      return Status::new_format;
    }
    case MPG123_DONE: return *got ? Status::ok : Status::done;
    default:
      // A damaged frame in the middle: the decoder resynchronises on the next call, so
      // whatever came out is kept; only a run of failures ends the file.
      if (*got) return Status::ok;
      return ++empty_reads_ > kMaxEmptyReads ? Status::error : Status::ok;
  }
}

int64_t MpegDecoder::LengthSamples() const {
  if (!handle_) return -1;
  off_t n = mpg123_length(handle_);
  return n < 0 ? -1 : static_cast<int64_t>(n);
}

int64_t MpegDecoder::SeekSample(int64_t sample) {
  if (!handle_) return -1;
  off_t r = mpg123_seek(handle_, static_cast<off_t>(std::max<int64_t>(0, sample)), SEEK_SET);
  return r < 0 ? -1 : static_cast<int64_t>(r);
}

int64_t MpegDecoder::TellSample() const {
  if (!handle_) return -1;
  off_t r = mpg123_tell(handle_);
  return r < 0 ? -1 : static_cast<int64_t>(r);
}

int MpegDecoder::Layer() const {
  mpg123_frameinfo info{};
  if (!handle_ || mpg123_info(handle_, &info) != MPG123_OK) return 0;
  return info.layer;
}

int MpegDecoder::SamplesPerFrame() const {
  if (!handle_) return 0;
  int spf = mpg123_spf(handle_);
  return spf > 0 ? spf : 0;
}

int MpegDecoder::BitrateKbps() const {
  mpg123_frameinfo info{};
  if (!handle_ || mpg123_info(handle_, &info) != MPG123_OK) return 0;
  return info.vbr == MPG123_ABR ? info.abr_rate : info.bitrate;
}

bool MpegDecoder::IsVbr() const {
  mpg123_frameinfo info{};
  if (!handle_ || mpg123_info(handle_, &info) != MPG123_OK) return false;
  return info.vbr != MPG123_CBR;
}

}  // namespace velmora::mpeg
