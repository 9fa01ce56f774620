// CPU time to decode a file through the MPEG plug-in's decoding path (tags skipped, the
// audio window read through ByteSource, MpegDecoder filling output buffers the size the
// output thread uses) against libmpg123 decoding the same file directly, in the same
// process. Prints the figures and their ratio; asserts nothing.
//
//   mpeg_decode_bench.exe <file.mp3>     (made by tests/media/make_media.sh: cbr320_60s.mp3)
#include <windows.h>

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "plugins/mpeg/id3.h"
#include "plugins/mpeg/mpeg_decoder.h"

namespace {

// The thread's CPU time; the clock ticks coarsely on some systems, so the wall-clock time
// of this single-threaded loop is printed beside it.
double CpuSeconds() {
  FILETIME c, e, k, u;
  GetThreadTimes(GetCurrentThread(), &c, &e, &k, &u);
  auto v = [](FILETIME f) {
    return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  return (v(k) + v(u)) / 1e7;
}

double WallSeconds() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / f.QuadPart;
}

uint64_t ThroughPlugin(const char* path) {
  velmora::mpeg::FileAccess file(path);
  velmora::mpeg::FileTags tags = velmora::mpeg::ReadFileTags(file);
  velmora::mpeg::FileWindowSource source(path, tags.audio_start, tags.audio_end);
  velmora::mpeg::MpegDecoder decoder;
  if (!decoder.Open(&source, true, true)) return 0;
  std::vector<uint8_t> buffer(static_cast<size_t>(decoder.SampleRate()) / 10 * 4);
  uint64_t total = 0;
  for (;;) {
    size_t got = 0;
    auto status = decoder.Read(buffer.data(), buffer.size(), &got);
    total += got;
    if (status == velmora::mpeg::MpegDecoder::Status::done ||
        status == velmora::mpeg::MpegDecoder::Status::error) {
      break;
    }
  }
  return total;
}

uint64_t Direct(const char* path) {
  mpg123_handle* mh = mpg123_new(nullptr, nullptr);
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  if (mpg123_open(mh, path) != MPG123_OK) return 0;
  std::vector<uint8_t> buffer(44100 / 10 * 4);
  uint64_t total = 0;
  for (;;) {
    size_t got = 0;
    int r = mpg123_read(mh, buffer.data(), buffer.size(), &got);
    total += got;
    if (r != MPG123_OK && r != MPG123_NEW_FORMAT) break;
  }
  mpg123_close(mh);
  mpg123_delete(mh);
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: mpeg_decode_bench <file.mp3>\n");
    return 2;
  }
  velmora::mpeg::MpegDecoder::InitLibrary();
  const int rounds = 5;
  double plugin_best = 1e9, direct_best = 1e9, plugin_wall = 1e9, direct_wall = 1e9;
  uint64_t plugin_bytes = 0, direct_bytes = 0;
  for (int i = 0; i < rounds; ++i) {
    double t0 = CpuSeconds(), w0 = WallSeconds();
    plugin_bytes = ThroughPlugin(argv[1]);
    double t1 = CpuSeconds(), w1 = WallSeconds();
    direct_bytes = Direct(argv[1]);
    double t2 = CpuSeconds(), w2 = WallSeconds();
    plugin_best = std::min(plugin_best, t1 - t0);
    direct_best = std::min(direct_best, t2 - t1);
    plugin_wall = std::min(plugin_wall, w1 - w0);
    direct_wall = std::min(direct_wall, w2 - w1);
  }
  std::printf("decoded through the plug-in path: %llu bytes, %.3f s CPU (best of %d)\n",
              static_cast<unsigned long long>(plugin_bytes), plugin_best, rounds);
  std::printf("decoded by libmpg123 directly:    %llu bytes, %.3f s CPU (best of %d)\n",
              static_cast<unsigned long long>(direct_bytes), direct_best, rounds);
  std::printf("wall clock: plug-in path %.3f s, direct %.3f s\n", plugin_wall, direct_wall);
  std::printf("ratio plug-in / direct: CPU %.3f, wall %.3f (target below 1.1)\n",
              direct_best > 0 ? plugin_best / direct_best : 0.0,
              direct_wall > 0 ? plugin_wall / direct_wall : 0.0);
  return 0;
}
