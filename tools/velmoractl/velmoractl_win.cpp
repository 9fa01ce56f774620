// velmoractl: sends one command to the running player and prints its answer.
//
//   velmoractl play | stop | pause | next | prev | show-id3 | show-playlist | clear |
//              open-files | exit | minimize | count | volume | length
//   velmoractl open FILE        add FILE to the playlist and play it
//   velmoractl just-play FILE   play FILE without touching the playlist
//   velmoractl status TEXT      show TEXT on the player's status line
//
// Exit status: 0 done, 1 the player refused (its button is disabled), 2 no player is
// running, 3 bad usage, 4 the player did not answer in time.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

enum Exit { kDone = 0, kRefused = 1, kNotRunning = 2, kUsage = 3, kNoAnswer = 4 };

struct Command {
  const char* name;
  const char* message;  // the registered message it sends
  bool guarded;         // answers 1 when the player refuses
};

constexpr Command kCommands[] = {
    {"play", "VelmoraPlay", true},
    {"stop", "VelmoraStop", true},
    {"next", "VelmoraNext", true},
    {"prev", "VelmoraPrev", true},
    {"show-id3", "VelmoraShowId3", false},
    {"pause", "VelmoraPause", true},
    {"show-playlist", "VelmoraShowPlaylist", false},
    {"clear", "VelmoraClearPlaylist", false},
    {"open-files", "VelmoraOpenFiles", false},
    {"exit", "VelmoraExit", false},
    {"minimize", "VelmoraMinimize", false},
    {"count", "VelmoraNumberFiles", false},
    {"volume", "VelmoraGetVolume", false},
    {"length", "VelmoraGetLength", false},
};

int Usage() {
  std::fprintf(stderr,
               "usage: velmoractl [-t MILLISECONDS] COMMAND [ARGUMENT]\n"
               "commands: play stop pause next prev show-id3 show-playlist clear open-files\n"
               "          exit minimize count volume length\n"
               "          open FILE | just-play FILE | status TEXT\n");
  return kUsage;
}

HWND FindPlayer() {
  HWND w = FindWindowA("TForm1", "ORVANE Velmora");
  return w ? w : FindWindowA(nullptr, "ORVANE Velmora");
}

// A file the player opens must not depend on this program's working folder.
std::string FullPath(const std::string& path) {
  if (path.find("://") != std::string::npos) return path;
  char buffer[MAX_PATH * 4];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof(buffer), buffer, nullptr);
  return (n > 0 && n < sizeof(buffer)) ? std::string(buffer, n) : path;
}

std::string JoinFrom(int argc, char** argv, int first) {
  std::string text;
  for (int i = first; i < argc; ++i) {
    if (i > first) text += ' ';
    text += argv[i];
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  int arg = 1;
  UINT timeout_ms = 60000;
  if (arg + 1 < argc && std::strcmp(argv[arg], "-t") == 0) {
    timeout_ms = static_cast<UINT>(std::strtoul(argv[arg + 1], nullptr, 10));
    arg += 2;
  }
  if (arg >= argc) return Usage();
  const std::string command = argv[arg++];

  const Command* registered = nullptr;
  for (const auto& c : kCommands)
    if (command == c.name) registered = &c;

  std::string text;  // WM_COPYDATA payload
  if (!registered) {
    if (arg >= argc) return Usage();
    if (command == "open")
      text = FullPath(JoinFrom(argc, argv, arg));
    else if (command == "just-play")
      text = "/" + FullPath(JoinFrom(argc, argv, arg));
    else if (command == "status")
      text = "$" + JoinFrom(argc, argv, arg);
    else
      return Usage();
  } else if (arg < argc) {
    return Usage();
  }

  HWND player = FindPlayer();
  if (!player) {
    std::fprintf(stderr, "velmoractl: the player is not running\n");
    return kNotRunning;
  }

  DWORD_PTR answer = 0;
  LRESULT sent = 0;
  if (registered) {
    const UINT msg = RegisterWindowMessageA(registered->message);
    sent =
        SendMessageTimeoutA(player, msg, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeout_ms, &answer);
  } else {
    COPYDATASTRUCT cds{};
    cds.dwData = 255;
    cds.cbData = static_cast<DWORD>(text.size() + 1);  // with the terminating zero
    cds.lpData = const_cast<char*>(text.c_str());
    sent = SendMessageTimeoutA(player, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                               SMTO_NORMAL | SMTO_ABORTIFHUNG, timeout_ms, &answer);
  }
  if (!sent) {
    if (!IsWindow(player)) {
      std::fprintf(stderr, "velmoractl: the player is not running\n");
      return kNotRunning;
    }
    std::fprintf(stderr, "velmoractl: the player did not answer\n");
    return kNoAnswer;
  }
  std::printf("%ld\n", static_cast<long>(static_cast<LONG_PTR>(answer)));
  if (registered && registered->guarded && answer == 1) {
    std::fprintf(stderr, "velmoractl: %s refused (the player's %s button is disabled)\n",
                 command.c_str(), command.c_str());
    return kRefused;
  }
  return kDone;
}
