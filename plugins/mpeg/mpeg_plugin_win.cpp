// The MPEG input plug-in: the exported entries of the library. All entries are called on
// the player's window thread; decoding and output run on a thread of the Playback.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "plugins/input_plugin_abi.h"
#include "plugins/mpeg/http_stream_win.h"
#include "plugins/mpeg/id3.h"
#include "plugins/mpeg/mpeg_decoder.h"
#include "plugins/mpeg/mpeg_stream.h"
#include "plugins/mpeg/playback_win.h"
#include "plugins/mpeg/win_handles_win.h"

namespace velmora::mpeg {

std::string Utf8ToAnsi(const std::string& utf8) {
  if (utf8.empty()) return "";
  int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (wide <= 0) return utf8;
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], wide);
  int narrow = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, "?", nullptr);
  if (narrow <= 0) return utf8;
  std::string out(static_cast<size_t>(narrow), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), wide, &out[0], narrow, "?", nullptr);
  return out;
}

namespace {

constexpr const char* kWindowClass = "VelmoraMpegWindow";
constexpr UINT kMsgFailure = WM_APP + 1;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kMenuAbout = 1;
constexpr UINT kMenuId3 = 2;
constexpr int kEditId = 100;
// Bytes after the tags searched for the first frames of a file.
constexpr size_t kProbeBytes = 64 * 1024;

const char kAboutText[] =
    "MPEG audio plug-in\r\n\r\n"
    "Plays MPEG 1, 2 and 2.5 audio, layers 1, 2 and 3 (.mp3, .mp2, .mp1),\r\n"
    "from files and from http:// streams (Icecast and SHOUTcast included).\r\n\r\n"
    "Decoding by libmpg123 (LGPL 2.1).";

struct LoadedItem {
  bool is_stream = false;
  bool playable = false;
  std::string path;       // file path or URL
  FileTags tags;
  uint64_t audio_begin = 0, audio_end = 0;
  int32_t length_ms = 0;
  int sample_rate = 0;
  int layer = 0;
  int kbps = 0;
  std::shared_ptr<HttpStream> stream;
};

class MpegPlugin {
 public:
  HINSTANCE instance = nullptr;
  std::string folder;
  LoadedItem item;
  std::shared_ptr<Playback> playback;

  // Texts handed to the player stay valid until the next call of the same entry.
  std::string load_text, web_text, frequency_text, bitrate_text, layer_text;

  HWND owner = nullptr;     // hidden; owns the popup menu, receives the thread's notices
  HWND id3_window = nullptr;
  HWND about_window = nullptr;
  HWND message_window = nullptr;
  unsigned shown_title_version = ~0u;
  bool class_registered = false;

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
    FileAccess file(path);
    if (!file.IsOpen()) return;
    item.tags = ReadFileTags(file);
    item.audio_begin = item.tags.audio_start;
    item.audio_end = item.tags.audio_end;
    if (item.audio_end <= item.audio_begin) return;
    size_t want = static_cast<size_t>(std::min<uint64_t>(kProbeBytes, item.audio_end - item.audio_begin));
    std::vector<uint8_t> probe(want);
    size_t got = file.ReadAt(static_cast<int64_t>(item.audio_begin), probe.data(), want);
    FrameHeader first;
    int64_t start = FindAudioStart(probe.data(), got,
                                   item.audio_begin + got == item.audio_end, 3, &first);
    if (start < 0) return;
    item.audio_begin += static_cast<uint64_t>(start);
    FileWindowSource source(path, item.audio_begin, item.audio_end);
    MpegDecoder decoder;
    if (!source.IsOpen() || !decoder.Open(&source, true, true)) return;
    int64_t samples = decoder.LengthSamples();
    item.sample_rate = decoder.SampleRate();
    if (samples <= 0 || item.sample_rate <= 0) return;
    item.length_ms = static_cast<int32_t>(std::min<int64_t>(samples * 1000 / item.sample_rate, INT32_MAX));
    item.layer = decoder.Layer() ? decoder.Layer() : first.layer;
    // The average over the whole file is what a VBR file shows; a CBR file shows its
    // nominal rate, which the average misses by the Info frame and the padding.
    int average = AverageKbps(item.audio_end - item.audio_begin, item.length_ms);
    int nominal = decoder.BitrateKbps();
    bool constant = !decoder.IsVbr() && nominal > 0 && std::abs(average - nominal) <= nominal / 20;
    item.kbps = constant || average <= 0 ? nominal : average;
    item.playable = true;
  }

  std::string WebLoad(const std::string& url) {
    StopPlayback();
    item = LoadedItem{};
    item.is_stream = true;
    item.path = url;
    auto stream = std::make_shared<HttpStream>();
    std::string error;
    if (stream->Open(url, ReadProxySettings(), &error)) {
      item.stream = stream;
      item.playable = true;
      item.sample_rate = stream->FirstFrame().sample_rate;
      item.layer = stream->FirstFrame().layer;
      item.kbps = stream->FirstFrame().bitrate_kbps;
    }
    return stream->Name().empty() ? url : stream->Name();
  }

  void Play(const std::string& fallback_path) {
    // The player hands over its display name here; the file is the one `load` opened.
    if (item.path.empty() && !fallback_path.empty()) Load(fallback_path);
    StopPlayback();
    EnsureOwner();
    playback = std::make_shared<Playback>(instance, &MpegPlugin::OnFailure);
    if (!item.playable) {
      playback->StartNothing();
    } else if (item.is_stream) {
      // A stream is read once: playing it again needs a fresh connection.
      std::shared_ptr<HttpStream> stream = std::move(item.stream);
      if (!stream) {
        stream = std::make_shared<HttpStream>();
        std::string error;
        if (!stream->Open(item.path, ReadProxySettings(), &error)) stream.reset();
      }
      if (stream) {
        current_stream_ = stream;
        playback->StartStream(stream);
      } else {
        playback->StartNothing();
      }
    } else {
      playback->StartFile(item.path, item.audio_begin, item.audio_end);
    }
    RefreshId3Window();
  }

  std::string StreamTitle() const {
    auto s = current_stream_.lock();
    return s ? Utf8ToAnsi(s->Title()) : "";
  }

  // --- windows of the plug-in -------------------------------------------------------------

  static void OnFailure(const char* message);

  bool RegisterClassOnce() {
    if (class_registered) return true;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &MpegPlugin::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    class_registered = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return class_registered;
  }

  void EnsureOwner() {
    if (owner && IsWindow(owner)) return;
    if (!RegisterClassOnce()) return;
    owner = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "Velmora MPEG", WS_POPUP, 0, 0, 0, 0,
                            nullptr, nullptr, instance, nullptr);
  }

  HWND TextWindow(HWND* slot, const char* title, int width, int height) {
    if (*slot && IsWindow(*slot)) return *slot;
    if (!RegisterClassOnce()) return nullptr;
    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, title,
                             WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                             CW_USEDEFAULT, CW_USEDEFAULT, width, height, nullptr, nullptr,
                             instance, nullptr);
    if (!w) return nullptr;
    RECT rc;
    GetClientRect(w, &rc);
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                    ES_AUTOVSCROLL,
                                0, 0, rc.right, rc.bottom, w,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), instance,
                                nullptr);
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    *slot = w;
    return w;
  }

  static void AddFields(std::string* text, const TagFields& f) {
    auto line = [&](const char* name, const std::string& value) {
      *text += "  ";
      *text += name;
      *text += ": " + Utf8ToAnsi(value) + "\r\n";
    };
    line("Title", f.title);
    line("Artist", f.artist);
    line("Album", f.album);
    line("Year", f.year);
    line("Track", f.track);
    line("Genre", f.genre);
    line("Comment", f.comment);
  }

  std::string Id3Text() {
    std::string text;
    if (item.path.empty()) return "No file loaded.\r\n";
    if (item.is_stream) {
      auto s = current_stream_.lock();
      text += "Stream: " + item.path + "\r\n";
      if (s && !s->Name().empty()) text += "Name: " + s->Name() + "\r\n";
      text += "Now playing: " + StreamTitle() + "\r\n";
      return text;
    }
    text += "File: " + item.path + "\r\n\r\n";
    if (item.tags.has_v2) {
      text += "ID3v2." + std::to_string(item.tags.v2_header.major) + "\r\n";
      AddFields(&text, item.tags.v2);
    } else {
      text += "ID3v2: none\r\n";
    }
    text += "\r\n";
    if (item.tags.has_v1) {
      text += "ID3v1\r\n";
      AddFields(&text, item.tags.v1);
    } else {
      text += "ID3v1: none\r\n";
    }
    return text;
  }

  void RefreshId3Window() {
    if (!id3_window || !IsWindow(id3_window)) return;
    auto s = current_stream_.lock();
    shown_title_version = s ? s->TitleVersion() : 0;
    SetDlgItemTextA(id3_window, kEditId, Id3Text().c_str());
  }

  void ShowId3() {
    HWND w = TextWindow(&id3_window, "ID3 Tags", 420, 360);
    if (!w) return;
    RefreshId3Window();
    SetTimer(w, kRefreshTimer, 1000, nullptr);  // a stream's title changes as it plays
    ShowWindow(w, SW_SHOWNORMAL);
    SetForegroundWindow(w);
  }

  void ShowAbout() {
    HWND w = TextWindow(&about_window, "About the MPEG plug-in", 420, 220);
    if (!w) return;
    SetDlgItemTextA(w, kEditId, kAboutText);
    ShowWindow(w, SW_SHOWNORMAL);
    SetForegroundWindow(w);
  }

  void ShowMessage(const char* message) {
    HWND w = TextWindow(&message_window, "MPEG plug-in", 360, 140);
    if (!w) return;
    SetDlgItemTextA(w, kEditId, (std::string(message) + ".").c_str());
    ShowWindow(w, SW_SHOWNOACTIVATE);  // never takes the focus from the player
  }

  void ShowPopup(int x, int y) {
    EnsureOwner();
    if (!owner) return;
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuA(menu.Get(), MF_STRING, kMenuAbout, "About");
    AppendMenuA(menu.Get(), MF_STRING, kMenuId3, "ID3 Tags...");
    SetForegroundWindow(owner);
    UINT cmd = static_cast<UINT>(TrackPopupMenu(menu.Get(),
                                                TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                x, y, 0, owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);
    if (cmd == kMenuAbout) ShowAbout();
    if (cmd == kMenuId3) ShowId3();
  }

  void DestroyWindows() {
    for (HWND* w : {&id3_window, &about_window, &message_window, &owner}) {
      if (*w && IsWindow(*w)) DestroyWindow(*w);
      *w = nullptr;
    }
    if (class_registered) UnregisterClassA(kWindowClass, instance);
    class_registered = false;
  }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  std::weak_ptr<HttpStream> current_stream_;
};

// Never destroyed: an output thread may outlive a careless unload by a moment, and the
// process tears everything down at exit anyway.
MpegPlugin& Plugin() {
  static MpegPlugin* plugin = new MpegPlugin();
  return *plugin;
}

void MpegPlugin::OnFailure(const char* message) {
  HWND owner = Plugin().owner;
  if (owner) PostMessageA(owner, kMsgFailure, 0, reinterpret_cast<LPARAM>(message));
}

LRESULT CALLBACK MpegPlugin::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    MpegPlugin& p = Plugin();
    switch (msg) {
      case kMsgFailure:
        // Messages come from string literals of the output thread.
        p.ShowMessage(reinterpret_cast<const char*>(lp));
        return 0;
      case WM_SIZE: {
        HWND edit = GetDlgItem(hwnd, kEditId);
        if (edit) MoveWindow(edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
      }
      case WM_TIMER:
        if (wp == kRefreshTimer && hwnd == p.id3_window && p.item.is_stream) {
          auto s = p.current_stream_.lock();
          if (s && s->TitleVersion() != p.shown_title_version) p.RefreshId3Window();
        }
        return 0;
      case WM_CLOSE:
        ShowWindow(hwnd, SW_HIDE);  // kept for the next time; destroyed at deinit
        return 0;
      default:
        break;
    }
  } catch (...) {
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

const char* Text(std::string* slot, std::string value) {
  *slot = std::move(value);
  return slot->c_str();
}

std::string ArgText(VelmoraStringRef* ref) {
  if (!ref || !*ref) return "";
  return *ref;
}

}  // namespace
}  // namespace velmora::mpeg

using velmora::mpeg::Plugin;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    Plugin().instance = instance;
  }
  return TRUE;
}

// Every entry catches everything: an exception must never cross into the player.
#define GUARDED(body, fallback) \
  try {                         \
    body                        \
  } catch (...) {               \
    fallback;                   \
  }

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL extension() { return "MP3,MP2,MP1"; }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL dllname() { return "MPEG Audio"; }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL author() { return "The Velmora team"; }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL version() { return "1.0"; }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL date() { return "2024"; }
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL support() {
  return "MPEG audio layer 1, 2 and 3 (mp1, mp2, mp3), files and http streams";
}
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL info() {
  return "Decodes with libmpg123 and plays through the wave-out device. Reads ID3v1 and "
         "ID3v2 tags and Icecast/SHOUTcast stream titles.";
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL init(VelmoraStringRef* folder) {
  GUARDED(Plugin().folder = velmora::mpeg::ArgText(folder);
          velmora::mpeg::MpegDecoder::InitLibrary();, )
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL deinit() {
  GUARDED(Plugin().StopPlayback(); Plugin().DestroyWindows();, )
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL load(VelmoraStringRef* path) {
  auto& p = Plugin();
  std::string file = velmora::mpeg::ArgText(path);
  GUARDED(p.Load(file); if (p.item.playable) {
    return velmora::mpeg::Text(&p.load_text,
                               velmora::mpeg::Utf8ToAnsi(velmora::mpeg::DisplayTitle(p.item.tags, file)));
  },
          p.item = velmora::mpeg::LoadedItem{})
  // Anything that will not play shows its file name; `length` is 0 and playback ends at once.
  return velmora::mpeg::Text(&p.load_text, velmora::mpeg::FileNameOf(file));
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL webload(VelmoraStringRef* url) {
  auto& p = Plugin();
  std::string address = velmora::mpeg::ArgText(url);
  GUARDED(return velmora::mpeg::Text(&p.web_text, p.WebLoad(address));, )
  return velmora::mpeg::Text(&p.web_text, address);
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL play(VelmoraStringRef* path) {
  GUARDED(Plugin().Play(velmora::mpeg::ArgText(path));, )
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL stop() { GUARDED(Plugin().StopPlayback();, ) }

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL pause() {
  GUARDED(if (Plugin().playback) Plugin().playback->TogglePause();, )
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

VELMORA_PLUGIN_EXPORT int32_t VELMORA_STDCALL length() { return Plugin().item.length_ms; }

VELMORA_PLUGIN_EXPORT int32_t VELMORA_STDCALL getposition() {
  GUARDED(auto& pb = Plugin().playback; return pb ? pb->PositionMs() : 0;, return 0)
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL jumpto(int32_t ms) {
  GUARDED(auto& p = Plugin(); if (p.playback) {
    int32_t target = ms;
    if (p.item.length_ms > 0 && target > p.item.length_ms) target = p.item.length_ms;
    p.playback->Seek(target);
  },)
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL frequence() {
  auto& p = Plugin();
  return velmora::mpeg::Text(&p.frequency_text, p.item.sample_rate > 0
                                                    ? velmora::mpeg::FrequencyText(p.item.sample_rate)
                                                    : std::string());
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL bitrate() {
  auto& p = Plugin();
  return velmora::mpeg::Text(&p.bitrate_text,
                             p.item.kbps > 0 ? velmora::mpeg::BitrateText(p.item.kbps) : std::string());
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL layer() {
  auto& p = Plugin();
  return velmora::mpeg::Text(&p.layer_text,
                             p.item.layer > 0 ? velmora::mpeg::LayerText(p.item.layer) : std::string());
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL showid3() { GUARDED(Plugin().ShowId3();, ) }

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL showoptionspopup(int32_t x, int32_t y) {
  GUARDED(Plugin().ShowPopup(x, y);, )
}

// Not part of the player's contract: the current title of a playing stream (from its
// metadata), "" for files. Lets a host that polls it follow the stream's titles.
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL streamtitle() {
  static std::string text;
  GUARDED(text = Plugin().StreamTitle();, text.clear())
  return text.c_str();
}

// Optional entry: the peaks of the samples audible now (see input_plugin_abi.h).
VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL audiblepeaks(VelmoraAudiblePeaks* peaks) {
  if (!peaks || peaks->size < sizeof(peaks->size)) return 0;
  VelmoraAudiblePeaks mine{};
  mine.size = peaks->size < sizeof mine ? peaks->size : static_cast<uint32_t>(sizeof mine);
  VelmoraFlag playing = 0;
  GUARDED(auto& pb = Plugin().playback; if (pb && pb->Playing()) {
    playing = 1;
    mine.channels = velmora::mpeg::MpegDecoder::kChannels;
    pb->AudiblePeaksNow(&mine.peak[0], &mine.peak[1]);
  },)
  std::memcpy(peaks, &mine, mine.size);
  return playing;
}
