// Drives the MPEG plug-in library directly, one entry per command-line word, for trying
// it by hand under wine without the player:
//
//   mpeg_plugin_driver.exe Z:\...\mpeg.dll load Z:\tmp\a.mp3 info play wait 2000 pause
//       wait 500 pause jump 2500 waitend 10000 pos
//
// Commands: load <file>, webload <url>, info, play, pause, stop, jump <ms>, wait <ms>,
// waitend <ms>, pos, state, streamtitle, id3, popup. Each prints one line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "plugins/input_plugin_abi.h"

namespace {

HMODULE g_dll = nullptr;

template <typename F>
F Entry(const char* name) {
  F f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(g_dll, name)));
  if (!f) {
    std::printf("missing entry %s\n", name);
    std::exit(2);
  }
  return f;
}

void Pump(DWORD ms) {
  DWORD until = GetTickCount() + ms;
  while (static_cast<LONG>(until - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: mpeg_plugin_driver <dll> commands...\n");
    return 2;
  }
  g_dll = LoadLibraryA(argv[1]);
  if (!g_dll) {
    std::printf("cannot load %s (%lu)\n", argv[1], GetLastError());
    return 2;
  }
  std::string folder = "C:\\";
  const char* folder_text = folder.c_str();
  Entry<PluginInitFn>("init")(&folder_text);
  std::string current;
  const char* current_text = nullptr;
  for (int i = 2; i < argc; ++i) {
    std::string cmd = argv[i];
    auto arg = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (cmd == "load" || cmd == "webload") {
      current = arg();
      current_text = current.c_str();
      const char* title = Entry<PluginLoadFn>(cmd.c_str())(&current_text);
      std::printf("title: %s\n", title ? title : "(null)");
    } else if (cmd == "info") {
      std::printf("length: %d frequence: %s bitrate: %s layer: %s\n",
                  Entry<PluginIntFn>("length")(), Entry<PluginTextFn>("frequence")(),
                  Entry<PluginTextFn>("bitrate")(), Entry<PluginTextFn>("layer")());
    } else if (cmd == "play") {
      Entry<PluginPlayFn>("play")(&current_text);
      std::printf("play\n");
    } else if (cmd == "pause") {
      Entry<PluginVoidFn>("pause")();
      std::printf("paused: %u\n", Entry<PluginFlagFn>("paused")() & 0xFF);
    } else if (cmd == "stop") {
      Entry<PluginVoidFn>("stop")();
      std::printf("stop\n");
    } else if (cmd == "jump") {
      int ms = std::atoi(arg().c_str());
      Entry<PluginJumpFn>("jumpto")(ms);
      std::printf("jump %d\n", ms);
    } else if (cmd == "wait") {
      Pump(static_cast<DWORD>(std::atoi(arg().c_str())));
    } else if (cmd == "waitend") {
      DWORD limit = static_cast<DWORD>(std::atoi(arg().c_str()));
      DWORD start = GetTickCount();
      while (!(Entry<PluginFlagFn>("ended")() & 0xFF) && GetTickCount() - start < limit) Pump(20);
      std::printf("ended: %u after %lu ms\n", Entry<PluginFlagFn>("ended")() & 0xFF,
                  GetTickCount() - start);
    } else if (cmd == "pos") {
      std::printf("position: %d\n", Entry<PluginIntFn>("getposition")());
    } else if (cmd == "state") {
      std::printf("playing: %u paused: %u ended: %u position: %d\n",
                  Entry<PluginFlagFn>("playing")() & 0xFF, Entry<PluginFlagFn>("paused")() & 0xFF,
                  Entry<PluginFlagFn>("ended")() & 0xFF, Entry<PluginIntFn>("getposition")());
    } else if (cmd == "streamtitle") {
      std::printf("streamtitle: %s\n", Entry<PluginTextFn>("streamtitle")());
    } else if (cmd == "id3") {
      Entry<PluginVoidFn>("showid3")();
      std::printf("id3\n");
    } else if (cmd == "popup") {
      Entry<PluginPopupFn>("showoptionspopup")(100, 100);
      std::printf("popup\n");
    } else {
      std::printf("unknown command %s\n", cmd.c_str());
    }
    std::fflush(stdout);
  }
  Entry<PluginVoidFn>("deinit")();
  FreeLibrary(g_dll);
  return 0;
}
