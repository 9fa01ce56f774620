// velmoractl: sends one command to the running player and prints its answer.
//
//   velmoractl play | stop | pause | next | prev | show-id3 | show-playlist | clear |
//              open-files | exit | minimize | count | volume | length
//   velmoractl open FILE        add FILE to the playlist and play it
//   velmoractl just-play FILE   play FILE without touching the playlist
//   velmoractl status TEXT      show TEXT on the player's status line
//   velmoractl name N           print the display name of playlist row N (from 0)
//
// Names and texts may be in any script: the arguments are read from the wide command line
// and sent as UTF-8 (WM_COPYDATA marked ids::kCopyDataUtf8); names are printed as UTF-8.
//
// Exit status: 0 done, 1 the player refused (its button is disabled), 2 no player is
// running, 3 bad usage, 4 the player did not answer in time.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "ui/utf8.h"

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
               "          open FILE | just-play FILE | status TEXT | name N\n");
  return kUsage;
}

HWND FindPlayer() {
  HWND w = FindWindowA("TForm1", "ORVANE Velmora");
  return w ? w : FindWindowA(nullptr, "ORVANE Velmora");
}

std::string Utf8(const wchar_t* text, size_t length) {
  return velmora::ui::Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::wstring Wide(const std::string& utf8) {
  const std::u16string text = velmora::ui::Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

// The arguments as UTF-8, split from the wide command line.
std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return args;
  for (int i = 0; i < count; ++i) args.push_back(Utf8(wide[i], wcslen(wide[i])));
  LocalFree(wide);
  return args;
}

// A file the player opens must not depend on this program's working folder.
std::string FullPath(const std::string& path) {
  if (path.find("://") != std::string::npos) return path;
  const std::wstring wide = Wide(path);
  const DWORD need = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (need == 0) return path;
  std::vector<wchar_t> buffer(need + 1);
  const DWORD n = GetFullPathNameW(wide.c_str(), need + 1, buffer.data(), nullptr);
  return (n > 0 && n <= need) ? Utf8(buffer.data(), n) : path;
}

// Prints the display name of playlist row `row` (the playlist window's list, asked in
// UTF-16 so that any name comes through); false when there is no such row.
bool PrintRowName(long row, UINT timeout_ms) {
  HWND playlist = FindWindowA("TForm3", nullptr);
  HWND list = playlist ? GetDlgItem(playlist, velmora::ids::pl) : nullptr;
  DWORD_PTR length = 0;
  if (!list || row < 0 ||
      !SendMessageTimeoutW(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0, SMTO_NORMAL,
                           timeout_ms, &length) ||
      static_cast<LRESULT>(length) < 0)
    return false;
  // The reply is copied by the length the list has when it answers: leave room.
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + (1u << 16), L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, timeout_ms,
                           &copied) ||
      static_cast<LRESULT>(copied) < 0)
    return false;
  std::printf("%s\n", Utf8(buffer.data(), wcsnlen(buffer.data(), buffer.size())).c_str());
  return true;
}

std::string JoinFrom(int argc, const std::vector<std::string>& argv, int first) {
  std::string text;
  for (int i = first; i < argc; ++i) {
    if (i > first) text += ' ';
    text += argv[i];
  }
  return text;
}

}  // namespace

int main() {
  const std::vector<std::string> argv = Arguments();
  const int argc = static_cast<int>(argv.size());
  int arg = 1;
  UINT timeout_ms = 60000;
  if (arg + 1 < argc && argv[arg] == "-t") {
    timeout_ms = static_cast<UINT>(std::strtoul(argv[arg + 1].c_str(), nullptr, 10));
    arg += 2;
  }
  if (arg >= argc) return Usage();
  const std::string command = argv[arg++];

  const Command* registered = nullptr;
  for (const auto& c : kCommands)
    if (command == c.name) registered = &c;

  std::string text;  // WM_COPYDATA payload
  long row = -1;     // `name`
  if (!registered) {
    if (arg >= argc) return Usage();
    if (command == "name" && arg + 1 == argc)
      row = std::strtol(argv[arg].c_str(), nullptr, 10);
    else if (command == "open")
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

  if (command == "name") {
    if (PrintRowName(row, timeout_ms)) return kDone;
    std::fprintf(stderr, "velmoractl: the playlist has no row %ld\n", row);
    return kRefused;
  }

  DWORD_PTR answer = 0;
  LRESULT sent = 0;
  if (registered) {
    const UINT msg = RegisterWindowMessageA(registered->message);
    sent =
        SendMessageTimeoutA(player, msg, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeout_ms, &answer);
  } else {
    COPYDATASTRUCT cds{};
    cds.dwData = velmora::ids::kCopyDataUtf8;
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
