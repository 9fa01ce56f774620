// The input plug-in for FLAC, Ogg Vorbis, Opus and WAV files: the exported entries of the
// library. All entries are called on the player's window thread; decoding and output run
// on a thread of the Playback.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "plugins/input_plugin_abi.h"
#include "plugins/mpeg/id3.h"
#include "plugins/mpeg/mpeg_stream.h"
#include "plugins/openaudio/decoders_win.h"
#include "plugins/output/handles_win.h"
#include "plugins/output/library_thread_win.h"
#include "plugins/output/playback_win.h"
#include "plugins/output/plugin_shell_win.h"

namespace velmora::openaudio {
namespace {

using output::Playback;
using output::PluginWindows;
using output::Utf8ToAnsi;

constexpr const char* kWindowClass = "VelmoraOpenAudioWindow";
constexpr const char* kSettingsKey = "Software\\velmora\\openaudio";
constexpr const char* kGainValue = "ReplayGain";
constexpr UINT kMsgFailure = WM_APP + 1;
constexpr UINT kMenuAbout = 1;
constexpr UINT kMenuInfo = 2;
constexpr UINT kMenuConfig = 3;
// The configuration window's choices, in the order of GainMode.
constexpr int kGainOffId = 201;
constexpr int kGainTrackId = 202;
constexpr int kGainAlbumId = 203;

const char kAboutText[] =
    "FLAC, Ogg Vorbis, Opus and WAV plug-in\r\n\r\n"
    "Plays FLAC (.flac, Ogg FLAC), Ogg Vorbis (.ogg, .oga), Opus (.opus) and\r\n"
    "WAV files (PCM 8, 16, 24 and 32 bits, 32-bit float; mono and stereo),\r\n"
    "with ReplayGain.\r\n\r\n"
    "Decoding by libFLAC, libogg, libvorbis (BSD), libopus and opusfile (BSD).";

struct LoadedItem {
  std::string path;
  bool playable = false;
  std::string error;  // why it does not play
  StreamFacts facts;
};

GainMode ReadGainMode() {
  DWORD value = static_cast<DWORD>(GainMode::track), size = sizeof value, type = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    output::UniqueKey owner(key);
    DWORD stored = 0;
    if (RegQueryValueExA(key, kGainValue, nullptr, &type, reinterpret_cast<BYTE*>(&stored),
                         &size) == ERROR_SUCCESS &&
        type == REG_DWORD && stored <= 2)
      value = stored;
  }
  return static_cast<GainMode>(value);
}

void WriteGainMode(GainMode mode) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  output::UniqueKey owner(key);
  DWORD value = static_cast<DWORD>(mode);
  RegSetValueExA(key, kGainValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                 sizeof value);
}

class OpenAudioPlugin {
 public:
  LoadedItem item;
  std::shared_ptr<Playback> playback;
  GainMode gain_mode = GainMode::track;
  std::string load_text, frequency_text, bitrate_text, layer_text;

  PluginWindows windows{kWindowClass, &OpenAudioPlugin::WindowProc};
  HWND info_window = nullptr;
  HWND about_window = nullptr;
  HWND message_window = nullptr;
  HWND config_window = nullptr;

  void StopPlayback() {
    if (playback) {
      playback->Stop();
      playback.reset();
    }
  }

  void Load(const std::string& path) {
    StopPlayback();
    item = LoadedItem{};
    item.path = path;
    std::string error;
    std::unique_ptr<AudioDecoder> decoder = OpenAudioFile(path, &error);
    if (!decoder) {
      item.error = error;
      return;
    }
    item.facts = decoder->Facts();
    item.playable = true;
  }

  void Play(const std::string& fallback_path) {
    if (item.path.empty() && !fallback_path.empty()) Load(fallback_path);
    StopPlayback();
    gain_mode = ReadGainMode();  // the configuration window may have changed it
    windows.EnsureOwner("Velmora FLAC/Ogg/Opus/WAV");
    playback = std::make_shared<Playback>(windows.Instance(), &OpenAudioPlugin::OnFailure);
    if (!item.playable) {
      playback->StartNothing();
      if (!item.error.empty())
        ShowMessage(Utf8ToAnsi(item.error + ": " + mpeg::FileNameOf(item.path)).c_str());
    } else {
      const std::string path = item.path;
      const double gain = GainFactor(item.facts.gains, gain_mode);
      playback->Start(
          [path, gain](const char** failure) -> std::unique_ptr<output::PcmDecoder> {
            std::string error;
            std::unique_ptr<AudioDecoder> d = OpenAudioFile(path, &error);
            if (!d) {
              *failure = "The file cannot be played any more";
              return nullptr;
            }
            d->SetGain(gain);
            return d;
          },
          true, nullptr);
    }
    RefreshInfoWindow();
  }

  std::string Title() const {
    mpeg::FileTags tags;
    tags.v2 = item.facts.fields;
    return mpeg::DisplayTitle(tags, item.path);
  }

  // --- windows -----------------------------------------------------------------------------

  static void OnFailure(const char* message);

  std::string InfoText() const {
    if (item.path.empty()) return "No file loaded.\r\n";
    std::string text = "File: " + Utf8ToAnsi(item.path) + "\r\n\r\n";
    if (!item.playable) return text + item.error + "\r\n";
    const StreamFacts& f = item.facts;
    text += "Format: " + f.codec + "\r\n";
    text += "Sample rate: " + std::to_string(f.sample_rate) + " Hz\r\n";
    text += "Channels: " + std::to_string(f.channels) + "\r\n";
    if (f.bits > 0) text += "Bits per sample: " + std::to_string(f.bits) + "\r\n";
    text += "Samples: " + std::to_string(f.length_samples) + "\r\n";
    text += "Length: " + std::to_string(f.LengthMs()) + " ms\r\n";
    text += "Average bit rate: " + std::to_string(f.AverageKbps()) + " kbps\r\n";
    if (f.codec == "Opus")
      text += "Output gain: " + std::to_string(f.header_gain_q8 / 256.0).substr(0, 5) + " dB\r\n";
    if (f.gains.has_track)
      text += "Track gain: " + std::to_string(f.gains.track_db).substr(0, 6) + " dB\r\n";
    if (f.gains.has_album)
      text += "Album gain: " + std::to_string(f.gains.album_db).substr(0, 6) + " dB\r\n";
    text += "\r\nTags\r\n";
    if (f.comments.empty() && f.fields.Empty()) text += "  none\r\n";
    // A comment may hold megabytes (a lyrics sheet, a picture as text): its start is enough.
    constexpr size_t kShownCommentBytes = 1000;
    for (const std::string& c : f.comments) {
      text += "  " + Utf8ToAnsi(c.substr(0, kShownCommentBytes));
      text += c.size() > kShownCommentBytes ? "...\r\n" : "\r\n";
    }
    if (f.comments.empty() && !f.fields.Empty()) {
      const mpeg::TagFields& t = f.fields;
      for (auto [name, value] : {std::pair<const char*, const std::string*>{"Title", &t.title},
                                 {"Artist", &t.artist},
                                 {"Album", &t.album},
                                 {"Year", &t.year},
                                 {"Track", &t.track},
                                 {"Genre", &t.genre},
                                 {"Comment", &t.comment}})
        if (!value->empty()) text += std::string("  ") + name + ": " + Utf8ToAnsi(*value) + "\r\n";
    }
    return text;
  }

  void RefreshInfoWindow() {
    if (info_window && IsWindow(info_window))
      SetDlgItemTextA(info_window, PluginWindows::kEditId, InfoText().c_str());
  }

  void ShowInfo() { windows.ShowText(&info_window, "File Info", 440, 380, InfoText(), true); }

  void ShowAbout() {
    windows.ShowText(&about_window, "About the FLAC/Ogg/Opus/WAV plug-in", 440, 220, kAboutText,
                     true);
  }

  // Never takes the focus from the player.
  void ShowMessage(const char* message) {
    windows.ShowText(&message_window, "FLAC/Ogg/Opus/WAV plug-in", 380, 140,
                     std::string(message) + ".", false);
  }

  void ShowConfig() {
    HWND w = config_window && IsWindow(config_window) ? config_window : nullptr;
    const HINSTANCE instance = windows.Instance();
    if (!w) {
      w = windows.NewWindow(&config_window, "FLAC/Ogg/Opus/WAV Configuration", 300, 170);
      if (!w) return;
      HWND group = CreateWindowExA(0, "BUTTON", "ReplayGain", WS_CHILD | WS_VISIBLE | BS_GROUPBOX,
                                   10, 8, 260, 110, w, nullptr, instance, nullptr);
      SendMessageA(group, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                   0);
      const struct {
        int id;
        const char* text;
      } choices[] = {{kGainTrackId, "Track gain (album gain when the track has none)"},
                     {kGainAlbumId, "Album gain (track gain when the album has none)"},
                     {kGainOffId, "Off"}};
      int y = 30;
      for (const auto& c : choices) {
        HWND b = CreateWindowExA(
            0, "BUTTON", c.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON, 20, y,
            245, 22, w, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        y += 28;
      }
    }
    const int chosen = gain_mode == GainMode::off     ? kGainOffId
                       : gain_mode == GainMode::album ? kGainAlbumId
                                                      : kGainTrackId;
    for (int id : {kGainOffId, kGainTrackId, kGainAlbumId})
      CheckDlgButton(w, id, id == chosen ? BST_CHECKED : BST_UNCHECKED);
    ShowWindow(w, SW_SHOWNORMAL);
    SetForegroundWindow(w);
  }

  // The user's choice takes effect from the next file played.
  void ChooseGain(int id) {
    gain_mode = id == kGainOffId     ? GainMode::off
                : id == kGainAlbumId ? GainMode::album
                                     : GainMode::track;
    WriteGainMode(gain_mode);
  }

  void ShowPopup(int x, int y) {
    windows.EnsureOwner("Velmora FLAC/Ogg/Opus/WAV");
    const UINT cmd = windows.PopupMenu(
        x, y,
        {{kMenuAbout, "About"}, {kMenuInfo, "File Info..."}, {kMenuConfig, "Configuration..."}});
    if (cmd == kMenuAbout) ShowAbout();
    if (cmd == kMenuInfo) ShowInfo();
    if (cmd == kMenuConfig) ShowConfig();
  }

  void DestroyWindows() {
    windows.Destroy({&info_window, &about_window, &message_window, &config_window});
  }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};

// Never destroyed: an output thread may outlive a careless unload by a moment.
OpenAudioPlugin& Plugin() {
  static OpenAudioPlugin* plugin = new OpenAudioPlugin();
  return *plugin;
}

void OpenAudioPlugin::OnFailure(const char* message) {
  HWND owner = Plugin().windows.Owner();
  if (owner) PostMessageA(owner, kMsgFailure, 0, reinterpret_cast<LPARAM>(message));
}

LRESULT CALLBACK OpenAudioPlugin::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    OpenAudioPlugin& p = Plugin();
    switch (msg) {
      case kMsgFailure:
        p.ShowMessage(reinterpret_cast<const char*>(lp));  // string literals of the thread
        return 0;
      case WM_COMMAND:
        if (hwnd == p.config_window && HIWORD(wp) == BN_CLICKED) {
          const int id = LOWORD(wp);
          if (id == kGainOffId || id == kGainTrackId || id == kGainAlbumId) p.ChooseGain(id);
        }
        return 0;
      default:
        if (PluginWindows::HandleCommon(hwnd, msg, lp)) return 0;
        break;
    }
  } catch (...) {
    // A window of the plug-in: nothing may escape into the player's message loop, and
    // a plug-in has no channel to the player's error list; the default handling follows.
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace
}  // namespace velmora::openaudio

using velmora::openaudio::Plugin;
using velmora::output::ArgText;
using velmora::output::HostText;
using velmora::output::KeepText;
using velmora::output::RunEntry;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    Plugin().windows.SetInstance(instance);
  }
  return TRUE;
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL extension() {
  return "FLAC,OGG,OGA,OPUS,WAV";
}
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL dllname() {
  return "FLAC, Ogg Vorbis, Opus and WAV";
}
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL author() { return "The Velmora team"; }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL version() { return "1.0"; }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL date() { return "2026"; }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL support() {
  return "FLAC (.flac, Ogg FLAC), Ogg Vorbis (.ogg, .oga), Opus (.opus), WAV (.wav) files";
}
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL info() {
  return "Decodes with libFLAC, libvorbis and opusfile, reads WAV itself, and plays through "
         "the wave-out device. Reads Vorbis comments and RIFF INFO tags; applies ReplayGain.";
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL init(VelmoraStringRef*) {
  RunEntry([] { Plugin().gain_mode = velmora::openaudio::ReadGainMode(); });
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL deinit() {
  RunEntry([] {
    Plugin().StopPlayback();
    Plugin().DestroyWindows();
    velmora::output::KeepLibraryWhileThreadsRun();
  });
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL load(VelmoraStringRef* path) {
  auto& p = Plugin();
  std::string file = ArgText(path);
  const char* title = nullptr;
  const bool ok = RunEntry([&] {
    p.Load(file);
    if (p.item.playable) title = KeepText(&p.load_text, HostText(p.Title()));
  });
  if (ok && title) return title;
  if (!ok) {
    p.item = velmora::openaudio::LoadedItem{};
    p.item.path = file;
    p.item.error = "Cannot read the file";
  }
  // Anything that will not play shows its file name; `length` is 0 and playback ends at once.
  return KeepText(&p.load_text, HostText(velmora::mpeg::FileNameOf(file)));
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL play(VelmoraStringRef* path) {
  RunEntry([&] { Plugin().Play(ArgText(path)); });
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL stop() {
  RunEntry([] { Plugin().StopPlayback(); });
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL pause() {
  RunEntry([] {
    if (Plugin().playback) Plugin().playback->TogglePause();
  });
}

VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL playing() {
  auto& pb = Plugin().playback;
  return pb && pb->Playing() ? 1 : 0;
}

VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL paused() {
  auto& pb = Plugin().playback;
  return pb && pb->Paused() ? 1 : 0;
}

VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL ended() {
  auto& pb = Plugin().playback;
  return pb && pb->Ended() ? 1 : 0;
}

VELMORA_PLUGIN_EXPORT int32_t VELMORA_STDCALL length() {
  auto& p = Plugin();
  return p.item.playable ? p.item.facts.LengthMs() : 0;
}

VELMORA_PLUGIN_EXPORT int32_t VELMORA_STDCALL getposition() {
  int32_t position = 0;
  RunEntry([&] {
    auto& pb = Plugin().playback;
    position = pb ? pb->PositionMs() : 0;
  });
  return position;
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL jumpto(int32_t ms) {
  RunEntry([&] {
    auto& p = Plugin();
    if (p.playback) p.playback->Seek(std::min(ms, p.item.facts.LengthMs()));
  });
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL frequence() {
  auto& p = Plugin();
  const int rate = p.item.playable ? p.item.facts.sample_rate : 0;
  return KeepText(&p.frequency_text, rate > 0 ? velmora::mpeg::FrequencyText(rate) : std::string());
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL bitrate() {
  auto& p = Plugin();
  const int kbps = p.item.playable ? p.item.facts.AverageKbps() : 0;
  return KeepText(&p.bitrate_text, kbps > 0 ? velmora::mpeg::BitrateText(kbps) : std::string());
}

// The player shows this where MPEG files show their layer: the format.
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL layer() {
  auto& p = Plugin();
  return KeepText(&p.layer_text, p.item.playable ? p.item.facts.codec : std::string());
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL showid3() {
  RunEntry([] { Plugin().ShowInfo(); });
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL showoptionspopup(int32_t x, int32_t y) {
  RunEntry([&] { Plugin().ShowPopup(x, y); });
}

// Optional entry: names and texts in UTF-8 from now on (see input_plugin_abi.h).
VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL utf8names() {
  return velmora::output::AgreeToUtf8Names();
}

// Optional entry: the peaks of the samples audible now (see input_plugin_abi.h).
VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL audiblepeaks(VelmoraAudiblePeaks* peaks) {
  return velmora::output::FillAudiblePeaks(Plugin().playback.get(), peaks);
}
