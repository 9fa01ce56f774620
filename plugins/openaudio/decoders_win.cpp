#include "plugins/openaudio/decoders_win.h"

#include <FLAC/stream_decoder.h>
#include <opusfile.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "plugins/mpeg/id3.h"
#include "plugins/openaudio/wave_reader.h"
#include "plugins/output/handles_win.h"
#include "ui/unique_file.h"

namespace velmora::openaudio {

namespace {

// Reads that decode nothing in a row before a damaged file counts as ended (the libraries
// skip holes and lost sync one read at a time).
constexpr int kMaxEmptyReads = 1000;

int16_t Clip16(double v) {
  return static_cast<int16_t>(std::lround(std::max(-32768.0, std::min(32767.0, v))));
}

// A file opened through the wide API, shared by the libraries' callbacks.
class WideFile {
 public:
  explicit WideFile(const std::string& path) {
    file_.reset(mpeg::OpenFileForReading(path));
    if (file_ && _fseeki64(file_.get(), 0, SEEK_END) == 0) size_ = _ftelli64(file_.get());
    if (file_) _fseeki64(file_.get(), 0, SEEK_SET);
  }
  WideFile(const WideFile&) = delete;
  WideFile& operator=(const WideFile&) = delete;
  bool IsOpen() const { return file_ != nullptr; }
  int64_t Size() const { return size_; }
  size_t Read(void* buffer, size_t n) { return std::fread(buffer, 1, n, file_.get()); }
  bool Seek(int64_t offset, int whence) { return _fseeki64(file_.get(), offset, whence) == 0; }
  int64_t Tell() { return _ftelli64(file_.get()); }
  bool AtEnd() { return std::feof(file_.get()) != 0 || Tell() >= size_; }

 private:
  ui::UniqueFile file_;
  int64_t size_ = 0;
};

class WideAccess : public mpeg::RandomAccess {
 public:
  explicit WideAccess(WideFile* file) : file_(file) {}
  int64_t Size() const override { return file_->Size(); }
  size_t ReadAt(int64_t offset, void* buffer, size_t count) const override {
    if (offset < 0 || !file_->Seek(offset, SEEK_SET)) return 0;
    return file_->Read(buffer, count);
  }

 private:
  WideFile* file_;
};

// The comments of an Ogg Vorbis or Opus stream (vorbis_comment and OpusTags have the same
// fields; none when null) and the title fields and gains read from them.
template <typename Comments>
void TakeComments(StreamFacts& facts, const Comments* c) {
  for (int i = 0; c && i < c->comments; ++i) {
    if (c->user_comments[i] && c->comment_lengths[i] >= 0)
      facts.comments.emplace_back(c->user_comments[i], c->comment_lengths[i]);
  }
  facts.fields = FieldsFromComments(facts.comments);
  facts.gains = GainsFromComments(facts.comments);
}

// --- WAV ---------------------------------------------------------------------------------

class WaveDecoder : public AudioDecoder {
 public:
  bool Open(std::unique_ptr<WideFile> file, std::string* error) {
    file_ = std::move(file);
    WideAccess access(file_.get());
    if (!ReadWaveFormat(access, &format_, error)) return false;
    facts_.codec = format_.is_float ? "PCM float" : "PCM";
    facts_.sample_rate = format_.sample_rate;
    facts_.channels = format_.channels;
    facts_.bits = format_.bits;
    facts_.length_samples = format_.frames;
    facts_.file_bytes = file_->Size();
    facts_.fields = format_.info;
    if (format_.frames <= 0) {
      *error = "WAV file without samples";
      return false;
    }
    return true;
  }
  int64_t SeekSample(int64_t sample) override {
    if (sample < 0 || sample >= format_.frames) return -1;
    position_ = sample;
    return sample;
  }

 protected:
  int64_t Decode(int16_t* out, size_t frames) override {
    const int64_t left = format_.frames - position_;
    const size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(frames)));
    if (n == 0) return 0;
    raw_.resize(n * format_.block_align);
    if (!file_->Seek(format_.data_begin + position_ * format_.block_align, SEEK_SET)) return -1;
    const size_t got = file_->Read(raw_.data(), raw_.size()) / format_.block_align;
    WaveToStereo16(format_, raw_.data(), got, out);
    position_ += static_cast<int64_t>(got);
    return static_cast<int64_t>(got);
  }

 private:
  std::unique_ptr<WideFile> file_;
  WaveFormat format_;
  int64_t position_ = 0;
  std::vector<uint8_t> raw_;
};

// --- FLAC --------------------------------------------------------------------------------

class FlacDecoder : public AudioDecoder {
 public:
  ~FlacDecoder() override {
    if (decoder_) FLAC__stream_decoder_delete(decoder_);
  }
  bool Open(std::unique_ptr<WideFile> file, bool ogg, std::string* error) {
    file_ = std::move(file);
    decoder_ = FLAC__stream_decoder_new();
    if (!decoder_) return Fail(error, "Out of memory");
    FLAC__stream_decoder_set_metadata_respond(decoder_, FLAC__METADATA_TYPE_VORBIS_COMMENT);
    auto init = ogg ? FLAC__stream_decoder_init_ogg_stream : FLAC__stream_decoder_init_stream;
    if (init(decoder_, &ReadCb, &SeekCb, &TellCb, &LengthCb, &EofCb, &WriteCb, &MetadataCb,
             &ErrorCb, this) != FLAC__STREAM_DECODER_INIT_STATUS_OK)
      return Fail(error, "Cannot start the FLAC decoder");
    if (!FLAC__stream_decoder_process_until_end_of_metadata(decoder_) || !have_info_)
      return Fail(error, "Damaged FLAC file");
    facts_.codec = "FLAC";
    facts_.file_bytes = file_->Size();
    facts_.fields = FieldsFromComments(facts_.comments);
    facts_.gains = GainsFromComments(facts_.comments);
    if (facts_.sample_rate <= 0 || facts_.channels <= 0 || facts_.bits < 4)
      return Fail(error, "Damaged FLAC file");
    if (facts_.length_samples <= 0) return Fail(error, "FLAC file of unknown length");
    return true;
  }
  int64_t SeekSample(int64_t sample) override {
    pending_.clear();
    taken_ = 0;
    if (sample < 0 || sample >= facts_.length_samples) return -1;
    if (!FLAC__stream_decoder_seek_absolute(decoder_, static_cast<FLAC__uint64>(sample))) {
      FLAC__stream_decoder_flush(decoder_);
      return -1;
    }
    return sample;
  }

 protected:
  int64_t Decode(int16_t* out, size_t frames) override {
    int empty = 0;
    while (taken_ * 2 >= pending_.size()) {
      pending_.clear();
      taken_ = 0;
      if (FLAC__stream_decoder_get_state(decoder_) == FLAC__STREAM_DECODER_END_OF_STREAM) return 0;
      if (!FLAC__stream_decoder_process_single(decoder_)) return -1;
      if (pending_.empty() && ++empty > kMaxEmptyReads) return 0;
    }
    const size_t n = std::min(frames, pending_.size() / 2 - taken_);
    std::memcpy(out, pending_.data() + taken_ * 2, n * 4);
    taken_ += n;
    return static_cast<int64_t>(n);
  }

 private:
  static bool Fail(std::string* error, const char* why) {
    *error = why;
    return false;
  }
  static FlacDecoder* Self(void* data) { return static_cast<FlacDecoder*>(data); }
  static FLAC__StreamDecoderReadStatus ReadCb(const FLAC__StreamDecoder*, FLAC__byte buffer[],
                                              size_t* bytes, void* data) {
    if (*bytes == 0) return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    *bytes = Self(data)->file_->Read(buffer, *bytes);
    return *bytes == 0 ? FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM
                       : FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
  }
  static FLAC__StreamDecoderSeekStatus SeekCb(const FLAC__StreamDecoder*, FLAC__uint64 offset,
                                              void* data) {
    return Self(data)->file_->Seek(static_cast<int64_t>(offset), SEEK_SET)
               ? FLAC__STREAM_DECODER_SEEK_STATUS_OK
               : FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
  }
  static FLAC__StreamDecoderTellStatus TellCb(const FLAC__StreamDecoder*, FLAC__uint64* offset,
                                              void* data) {
    *offset = static_cast<FLAC__uint64>(Self(data)->file_->Tell());
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
  }
  static FLAC__StreamDecoderLengthStatus LengthCb(const FLAC__StreamDecoder*, FLAC__uint64* length,
                                                  void* data) {
    *length = static_cast<FLAC__uint64>(Self(data)->file_->Size());
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
  }
  static FLAC__bool EofCb(const FLAC__StreamDecoder*, void* data) {
    return Self(data)->file_->AtEnd();
  }
  static FLAC__StreamDecoderWriteStatus WriteCb(const FLAC__StreamDecoder*,
                                                const FLAC__Frame* frame,
                                                const FLAC__int32* const buffer[], void* data) {
    FlacDecoder* self = Self(data);
    const unsigned channels = frame->header.channels;
    const int shift = static_cast<int>(frame->header.bits_per_sample) - 16;
    const unsigned n = frame->header.blocksize;
    size_t at = self->pending_.size();
    self->pending_.resize(at + 2 * static_cast<size_t>(n));
    for (unsigned i = 0; i < n; ++i) {
      for (unsigned c = 0; c < 2; ++c) {
        int32_t v = buffer[c < channels ? c : 0][i];
        v = shift >= 0 ? v >> shift : v * (1 << -shift);
        self->pending_[at++] = static_cast<int16_t>(std::max(-32768, std::min(32767, v)));
      }
    }
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
  }
  static void MetadataCb(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* m, void* data) {
    FlacDecoder* self = Self(data);
    if (m->type == FLAC__METADATA_TYPE_STREAMINFO) {
      self->facts_.sample_rate = static_cast<int>(m->data.stream_info.sample_rate);
      self->facts_.channels = static_cast<int>(m->data.stream_info.channels);
      self->facts_.bits = static_cast<int>(m->data.stream_info.bits_per_sample);
      self->facts_.length_samples = static_cast<int64_t>(m->data.stream_info.total_samples);
      self->have_info_ = true;
    } else if (m->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
      const auto& vc = m->data.vorbis_comment;
      for (FLAC__uint32 i = 0; i < vc.num_comments; ++i) {
        const auto& e = vc.comments[i];
        if (e.entry)
          self->facts_.comments.emplace_back(reinterpret_cast<const char*>(e.entry), e.length);
      }
    }
  }
  static void ErrorCb(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {}

  std::unique_ptr<WideFile> file_;
  FLAC__StreamDecoder* decoder_ = nullptr;
  bool have_info_ = false;
  std::vector<int16_t> pending_;  // decoded stereo frames not yet handed out
  size_t taken_ = 0;
};

// --- Ogg Vorbis --------------------------------------------------------------------------

class VorbisDecoder : public AudioDecoder {
 public:
  ~VorbisDecoder() override {
    if (open_) ov_clear(&vf_);
  }
  bool Open(std::unique_ptr<WideFile> file, std::string* error) {
    file_ = std::move(file);
    ov_callbacks cb{};
    cb.read_func = [](void* ptr, size_t size, size_t count, void* source) -> size_t {
      if (size == 0) return 0;
      return static_cast<WideFile*>(source)->Read(ptr, size * count) / size;
    };
    cb.seek_func = [](void* source, ogg_int64_t offset, int whence) -> int {
      return static_cast<WideFile*>(source)->Seek(offset, whence) ? 0 : -1;
    };
    cb.close_func = nullptr;
    cb.tell_func = [](void* source) -> long {
      return static_cast<long>(static_cast<WideFile*>(source)->Tell());
    };
    if (ov_open_callbacks(file_.get(), &vf_, nullptr, 0, cb) != 0) {
      *error = "Damaged Ogg Vorbis file";
      return false;
    }
    open_ = true;
    vorbis_info* info = ov_info(&vf_, -1);
    if (!info || info->rate <= 0 || info->channels <= 0) {
      *error = "Damaged Ogg Vorbis file";
      return false;
    }
    facts_.codec = "Vorbis";
    facts_.sample_rate = static_cast<int>(info->rate);
    facts_.channels = info->channels;
    facts_.length_samples = ov_pcm_total(&vf_, -1);
    facts_.file_bytes = file_->Size();
    TakeComments(facts_, ov_comment(&vf_, -1));
    if (facts_.length_samples <= 0) {
      *error = "Ogg Vorbis file without samples";
      return false;
    }
    return true;
  }
  int64_t SeekSample(int64_t sample) override {
    if (sample < 0 || sample >= facts_.length_samples) return -1;
    return ov_pcm_seek(&vf_, sample) == 0 ? sample : -1;
  }

 protected:
  int64_t Decode(int16_t* out, size_t frames) override {
    for (int empty = 0; empty < kMaxEmptyReads; ++empty) {
      float** pcm = nullptr;
      int section = 0;
      const long n =
          ov_read_float(&vf_, &pcm, static_cast<int>(std::min<size_t>(frames, 4096)), &section);
      if (n == OV_HOLE) continue;
      if (n < 0) return -1;
      if (n == 0) return 0;
      vorbis_info* info = ov_info(&vf_, section);
      const int channels = info ? info->channels : 1;
      // The front left and right: Vorbis puts the centre between them in layouts of three,
      // five and more channels.
      const int right = channels == 1 ? 0 : channels == 3 || channels >= 5 ? 2 : 1;
      for (long i = 0; i < n; ++i) {
        out[2 * i] = Clip16(pcm[0][i] * 32768.0);
        out[2 * i + 1] = Clip16(pcm[right][i] * 32768.0);
      }
      return n;
    }
    return 0;
  }

 private:
  std::unique_ptr<WideFile> file_;
  OggVorbis_File vf_{};
  bool open_ = false;
};

// --- Opus --------------------------------------------------------------------------------

class OpusDecoder : public AudioDecoder {
 public:
  ~OpusDecoder() override {
    if (of_) op_free(of_);
  }
  bool Open(std::unique_ptr<WideFile> file, std::string* error) {
    file_ = std::move(file);
    OpusFileCallbacks cb{};
    cb.read = [](void* source, unsigned char* ptr, int n) -> int {
      return n <= 0 ? 0
                    : static_cast<int>(
                          static_cast<WideFile*>(source)->Read(ptr, static_cast<size_t>(n)));
    };
    cb.seek = [](void* source, opus_int64 offset, int whence) -> int {
      return static_cast<WideFile*>(source)->Seek(offset, whence) ? 0 : -1;
    };
    cb.tell = [](void* source) -> opus_int64 { return static_cast<WideFile*>(source)->Tell(); };
    cb.close = nullptr;
    int err = 0;
    of_ = op_open_callbacks(file_.get(), &cb, nullptr, 0, &err);
    if (!of_) {
      *error = "Damaged Opus file";
      return false;
    }
    const OpusHead* head = op_head(of_, -1);
    facts_.codec = "Opus";
    facts_.sample_rate = 48000;  // what the decoder always produces
    facts_.channels = head ? head->channel_count : 2;
    facts_.header_gain_q8 = head ? head->output_gain : 0;
    // Pre-skip and end trimming are taken off by the library.
    facts_.length_samples = op_pcm_total(of_, -1);
    facts_.file_bytes = file_->Size();
    TakeComments(facts_, op_tags(of_, -1));
    if (facts_.length_samples <= 0) {
      *error = "Opus file without samples";
      return false;
    }
    return true;
  }
  int64_t SeekSample(int64_t sample) override {
    if (sample < 0 || sample >= facts_.length_samples) return -1;
    return op_pcm_seek(of_, sample) == 0 ? sample : -1;
  }

 protected:
  int64_t Decode(int16_t* out, size_t frames) override {
    for (int empty = 0; empty < kMaxEmptyReads; ++empty) {
      const int n = op_read_stereo(of_, out, static_cast<int>(std::min<size_t>(frames, 5760) * 2));
      if (n == OP_HOLE) continue;
      if (n < 0) return -1;
      return n;
    }
    return 0;
  }

 private:
  std::unique_ptr<WideFile> file_;
  OggOpusFile* of_ = nullptr;
};

enum class Kind { unknown, wave, flac, ogg_flac, vorbis, opus };

// What the file is, from its first bytes (the first packet of an Ogg stream).
Kind Sniff(const uint8_t* b, size_t n) {
  if (LooksLikeWave(b, n)) return Kind::wave;
  if (n >= 4 && std::memcmp(b, "fLaC", 4) == 0) return Kind::flac;
  if (n >= 27 && std::memcmp(b, "OggS", 4) == 0) {
    const size_t packet = 27 + static_cast<size_t>(b[26]);
    if (n >= packet + 8 && std::memcmp(b + packet, "OpusHead", 8) == 0) return Kind::opus;
    if (n >= packet + 7 && std::memcmp(b + packet, "\x01vorbis", 7) == 0) return Kind::vorbis;
    if (n >= packet + 5 && std::memcmp(b + packet,
                                       "\x7f"
                                       "FLAC",
                                       5) == 0)
      return Kind::ogg_flac;
  }
  return Kind::unknown;
}

}  // namespace

output::PcmDecoder::Status AudioDecoder::Read(uint8_t* out, size_t capacity, size_t* got) {
  *got = 0;
  const size_t frames = capacity / kBytesPerFrame;
  int16_t* samples = reinterpret_cast<int16_t*>(out);
  const int64_t n = frames > 0 ? Decode(samples, frames) : 0;
  if (n < 0) return Status::error;
  if (n == 0) return Status::done;
  if (gain_ != 1.0) {
    for (int64_t i = 0; i < 2 * n; ++i) samples[i] = Clip16(samples[i] * gain_);
  }
  *got = static_cast<size_t>(n) * kBytesPerFrame;
  return Status::ok;
}

std::unique_ptr<AudioDecoder> OpenAudioFile(const std::string& path, std::string* error) {
  auto file = std::make_unique<WideFile>(path);
  if (!file->IsOpen()) {
    *error = "Cannot open the file";
    return nullptr;
  }
  uint8_t head[512] = {};
  const size_t n = file->Read(head, sizeof head);
  file->Seek(0, SEEK_SET);
  std::unique_ptr<AudioDecoder> result;
  bool ok = false;
  switch (Sniff(head, n)) {
    case Kind::wave: {
      auto d = std::make_unique<WaveDecoder>();
      ok = d->Open(std::move(file), error);
      result = std::move(d);
      break;
    }
    case Kind::flac:
    case Kind::ogg_flac: {
      const bool ogg = Sniff(head, n) == Kind::ogg_flac;
      auto d = std::make_unique<FlacDecoder>();
      ok = d->Open(std::move(file), ogg, error);
      result = std::move(d);
      break;
    }
    case Kind::vorbis: {
      auto d = std::make_unique<VorbisDecoder>();
      ok = d->Open(std::move(file), error);
      result = std::move(d);
      break;
    }
    case Kind::opus: {
      auto d = std::make_unique<OpusDecoder>();
      ok = d->Open(std::move(file), error);
      result = std::move(d);
      break;
    }
    default:
      *error = n == 0 ? "Empty file" : "Not a FLAC, Ogg Vorbis, Opus or WAV file";
      return nullptr;
  }
  if (!ok) return nullptr;
  return result;
}

}  // namespace velmora::openaudio
