// CPU time to decode files through the FLAC/Ogg/Opus/WAV plug-in's decoding path (the file
// opened and read through the decoder the output thread plays, in buffers of the size it
// uses). Prints, per file, the seconds of audio, the CPU seconds and the CPU seconds per
// minute of audio; asserts nothing.
//
//   openaudio_decode_bench.exe <file>...
#include <windows.h>

#include <cstdio>
#include <vector>

#include "plugins/openaudio/decoders_win.h"

namespace {

double CpuSeconds() {
  FILETIME c, e, k, u;
  GetThreadTimes(GetCurrentThread(), &c, &e, &k, &u);
  auto v = [](FILETIME f) {
    return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  return (v(k) + v(u)) / 1e7;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: openaudio_decode_bench <file>...\n");
    return 2;
  }
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    const double start = CpuSeconds();
    std::string error;
    auto decoder = velmora::openaudio::OpenAudioFile(argv[i], &error);
    if (!decoder) {
      std::printf("%s: %s\n", argv[i], error.c_str());
      status = 1;
      continue;
    }
    // A quarter of a second of output at a time, as the output thread asks for it.
    std::vector<uint8_t> buffer(static_cast<size_t>(decoder->SampleRate()) / 4 * 4);
    uint64_t frames = 0;
    size_t got = 0;
    while (decoder->Read(buffer.data(), buffer.size(), &got) ==
           velmora::output::PcmDecoder::Status::ok)
      frames += got / 4;
    const double cpu = CpuSeconds() - start;
    const double audio = static_cast<double>(frames) / decoder->SampleRate();
    std::printf("%s %.2f %.3f %.3f\n", argv[i], audio, cpu, audio > 0 ? cpu * 60 / audio : 0);
  }
  return status;
}
