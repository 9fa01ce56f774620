// Time the MPEG plug-in's `load` takes on the caller's (the player's window) thread, for
// each file given: the length it reports at once and, where the file has no length
// header, when the scan on the plug-in's own thread refines it; beside it, the full scan
// of the same audio that `load` used to make on the window thread. Prints, asserts nothing.
//
//   mpeg_load_bench.exe <mpeg.dll> <file.mp3>...
#include <windows.h>

#include <cstdio>
#include <string>

#include "plugins/input_plugin_abi.h"
#include "plugins/mpeg/id3.h"
#include "plugins/mpeg/mpeg_decoder.h"

namespace {

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / f.QuadPart;
}

template <typename F>
F Entry(HMODULE dll, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

// The old way: the audio between the tags opened and scanned whole.
double FullScanMs(const char* path, int32_t* length_ms) {
  double start = Now();
  velmora::mpeg::FileAccess file(path);
  velmora::mpeg::FileTags tags = velmora::mpeg::ReadFileTags(file);
  velmora::mpeg::FileWindowSource source(path, tags.audio_start, tags.audio_end);
  velmora::mpeg::MpegDecoder decoder;
  *length_ms = 0;
  if (decoder.Open(&source, true, true) && decoder.SampleRate() > 0)
    *length_ms = static_cast<int32_t>(decoder.LengthSamples() * 1000 / decoder.SampleRate());
  return (Now() - start) * 1000;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::printf("usage: mpeg_load_bench <mpeg.dll> <file.mp3>...\n");
    return 2;
  }
  HMODULE dll = LoadLibraryA(argv[1]);
  if (!dll) {
    std::printf("cannot load %s\n", argv[1]);
    return 1;
  }
  std::string folder = "C:\\";
  const char* folder_text = folder.c_str();
  Entry<PluginInitFn>(dll, "init")(&folder_text);
  auto load = Entry<PluginLoadFn>(dll, "load");
  auto length = Entry<PluginIntFn>(dll, "length");
  velmora::mpeg::MpegDecoder::InitLibrary();
  for (int i = 2; i < argc; ++i) {
    std::string path = argv[i];
    const char* path_text = path.c_str();
    std::string name = path.substr(path.find_last_of('\\') + 1);
    double start = Now();
    load(&path_text);
    double load_ms = (Now() - start) * 1000;
    int32_t first = length();
    // A refinement comes from the plug-in's scan thread; files with a header get none.
    int32_t last = first;
    double refined_s = -1;
    while (Now() - start < 60) {
      last = length();
      if (last != first) {
        refined_s = Now() - start;
        break;
      }
      if (Now() - start > 3) break;
      Sleep(5);
    }
    int32_t scanned_ms = 0;
    double scan_ms = FullScanMs(argv[i], &scanned_ms);
    std::printf("%-28s load %8.1f ms on the caller's thread, length %d ms", name.c_str(), load_ms,
                first);
    if (refined_s >= 0) {
      std::printf(", refined to %d ms after %.2f s", last, refined_s);
    } else {
      std::printf(", not refined");
    }
    std::printf("; a full scan (the old load) takes %.1f ms (length %d ms)\n", scan_ms, scanned_ms);
  }
  Entry<PluginVoidFn>(dll, "deinit")();
  return 0;
}
