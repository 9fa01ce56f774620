// The MPEG input plug-in: the exported entries of the library. All entries are called on
// the player's window thread; decoding and output run on a thread of the Playback.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "plugins/input_plugin_abi.h"
#include "plugins/mpeg/http_stream_win.h"
#include "plugins/mpeg/id3.h"
#include "plugins/mpeg/mpeg_decoder.h"
#include "plugins/mpeg/mpeg_stream.h"
#include "plugins/mpeg/win_handles_win.h"
#include "plugins/output/library_thread_win.h"
#include "plugins/output/playback_win.h"
#include "plugins/output/plugin_shell_win.h"

namespace velmora::mpeg {

namespace {

using output::KeepLibraryWhileThreadsRun;
using output::PcmDecoder;
using output::Playback;
using output::PluginWindows;
using output::StartLibraryThread;

// The decoder the output thread plays: libmpg123 on a window of a file or on a stream,
// owning what it reads from.
class MpegPcm : public PcmDecoder {
 public:
  // A local file: the audio bytes [begin, end) of `path`.
  static std::unique_ptr<PcmDecoder> OpenFile(const std::string& path, uint64_t begin, uint64_t end,
                                              const char** failure) {
    auto pcm = std::make_unique<MpegPcm>();
    pcm->file_ = std::make_unique<FileWindowSource>(path, begin, end);
    if (!pcm->file_->IsOpen()) {
      *failure = "Cannot open the file";
      return nullptr;
    }
    // The length is `load`'s business: no scan here, playing starts at once.
    if (!pcm->decoder_.Open(pcm->file_.get(), true, false)) return nullptr;
    return pcm;
  }
  // A network stream started by webload (connecting or connected): the open waits here
  // until the connection has data; Stop cuts that short.
  static std::unique_ptr<PcmDecoder> OpenStream(std::shared_ptr<HttpStream> stream) {
    auto pcm = std::make_unique<MpegPcm>();
    pcm->stream_ = std::move(stream);
    if (!pcm->decoder_.Open(pcm->stream_.get(), false, false)) return nullptr;
    return pcm;
  }

  int SampleRate() const override { return decoder_.SampleRate(); }
  Status Read(uint8_t* out, size_t capacity, size_t* got) override {
    switch (decoder_.Read(out, capacity, got)) {
      case MpegDecoder::Status::ok: return Status::ok;
      case MpegDecoder::Status::new_format: return Status::new_format;
      case MpegDecoder::Status::done: return Status::done;
      default: return Status::error;
    }
  }
  int64_t SeekSample(int64_t sample) override { return decoder_.SeekSample(sample); }

 private:
  std::unique_ptr<FileWindowSource> file_;
  std::shared_ptr<HttpStream> stream_;
  MpegDecoder decoder_;  // after the sources: closed before them
};

constexpr const char* kWindowClass = "VelmoraMpegWindow";
constexpr UINT kMsgFailure = WM_APP + 1;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kMenuAbout = 1;
constexpr UINT kMenuId3 = 2;
// Frames in a row that tell MPEG audio from stray header-like bytes in other data.
constexpr int kFramesInARow = 3;
// Bytes at the start of the audio searched for a length header.
constexpr size_t kHeaderSearchBytes = 64 * 1024;
// Audio up to this size without a length header is scanned at once by `load` (a few
// milliseconds); longer files get an estimate and a scan on a thread of their own.
constexpr uint64_t kScanInPlaceBytes = 1 << 20;

const char kAboutText[] =
    "MPEG audio plug-in\r\n\r\n"
    "Plays MPEG 1, 2 and 2.5 audio, layers 1, 2 and 3 (.mp3, .mp2, .mp1),\r\n"
    "from files and from http:// streams (Icecast and SHOUTcast included).\r\n\r\n"
    "Decoding by libmpg123 (LGPL 2.1).";

// The length of a file, shared with the thread that scans a file without a length header:
// `length` answers the estimate until the scan has the exact value.
struct FileLength {
  std::atomic<int32_t> ms{0};
  std::atomic<bool> cancel{false};
};

struct LoadedItem {
  bool is_stream = false;
  bool playable = false;
  std::string path;  // file path or URL
  FileTags tags;
  uint64_t audio_begin = 0, audio_end = 0;
  std::shared_ptr<FileLength> length = std::make_shared<FileLength>();
  int sample_rate = 0;
  int layer = 0;
  int kbps = 0;
  std::shared_ptr<HttpStream> stream;  // started by webload, not yet taken by play
};

// Reads every frame header of the audio of `path` (on a thread of its own) and makes the
// length exact. Cancelled when the plug-in moves on to another file.
void ScanLength(const std::string& path, uint64_t begin, uint64_t end,
                const std::shared_ptr<FileLength>& length) {
  FileWindowSource source(path, begin, end);
  source.SetCancel(&length->cancel);
  MpegDecoder decoder;
  if (!source.IsOpen() || !decoder.Open(&source, true, false) || !decoder.Scan()) return;
  int64_t samples = decoder.LengthSamples();
  int rate = decoder.SampleRate();
  if (samples <= 0 || rate <= 0 || length->cancel) return;
  length->ms = static_cast<int32_t>(std::min<int64_t>(samples * 1000 / rate, INT32_MAX));
}

class MpegPlugin {
 public:
  std::string folder;
  LoadedItem item;
  std::shared_ptr<Playback> playback;

  // Texts handed to the player stay valid until the next call of the same entry.
  std::string load_text, web_text, frequency_text, bitrate_text, layer_text;

  // A hidden owner (the popup menu, the thread's notices) and the text windows.
  PluginWindows windows{kWindowClass, &MpegPlugin::WindowProc};
  HWND id3_window = nullptr;
  HWND about_window = nullptr;
  HWND message_window = nullptr;
  unsigned shown_title_version = ~0u;

  void StopPlayback() {
    if (playback) {
      playback->Stop();
      playback.reset();
    }
  }

  // Lets go of the current item: its playback, a scan of its length, a stream that
  // webload started and play never took.
  void DropItem() {
    StopPlayback();
    item.length->cancel = true;
    if (item.stream) item.stream->Abort();
    item = LoadedItem{};
  }

  void Load(const std::string& path) {
    DropItem();
    item.path = path;
    FileAccess file(path);
    if (!file.IsOpen()) return;
    item.tags = ReadFileTags(file);
    item.audio_begin = item.tags.audio_start;
    item.audio_end = item.tags.audio_end;
    if (item.audio_end <= item.audio_begin) return;
    // libmpg123 decides what is MPEG audio: it reads up to the first frame only.
    FileWindowSource source(path, item.audio_begin, item.audio_end);
    MpegDecoder decoder;
    const uint64_t audio_bytes = item.audio_end - item.audio_begin;
    if (!source.IsOpen() || !decoder.Open(&source, true, false) ||
        !decoder.FramesFollowEachOther(kFramesInARow, audio_bytes)) {
      return;
    }
    item.sample_rate = decoder.SampleRate();
    if (item.sample_rate <= 0) return;
    size_t want = static_cast<size_t>(std::min<uint64_t>(kHeaderSearchBytes, audio_bytes));
    std::vector<uint8_t> start(want);
    size_t got = file.ReadAt(static_cast<int64_t>(item.audio_begin), start.data(), want);
    if (IsPcmWave(start.data(), got)) return;
    LengthHeader header;
    bool has_header = FindLengthHeader(start.data(), got, &header) && header.frames > 0;
    int64_t samples;
    bool scan_later = false;
    if (has_header && header.kind == LengthHeader::Kind::vbri) {
      samples = static_cast<int64_t>(header.frames) * header.frame.samples;  // libmpg123 skips VBRI
    } else if (has_header) {
      samples = decoder.LengthSamples();  // from the Xing/Info header, encoder delay removed
    } else if (audio_bytes <= kScanInPlaceBytes) {
      decoder.Scan();  // a short file: reading its frame headers costs next to nothing
      samples = decoder.LengthSamples();
    } else {
      samples = decoder.LengthSamples();  // estimated from the size; the scan refines it
      scan_later = true;
    }
    if (samples <= 0) return;
    int32_t length_ms =
        static_cast<int32_t>(std::min<int64_t>(samples * 1000 / item.sample_rate, INT32_MAX));
    item.length->ms = length_ms;
    item.layer = decoder.Layer();
    // The average over the whole file is what a VBR file shows; a CBR file shows its
    // nominal rate, which the average misses by the Info frame and the padding.
    int average = AverageKbps(audio_bytes, length_ms);
    int nominal = decoder.BitrateKbps();
    bool constant = !decoder.IsVbr() && nominal > 0 && std::abs(average - nominal) <= nominal / 20;
    item.kbps = constant || average <= 0 ? nominal : average;
    item.playable = true;
    if (scan_later) {
      std::shared_ptr<FileLength> length = item.length;
      std::string file_path = path;
      uint64_t begin = item.audio_begin, end = item.audio_end;
      StartLibraryThread(
          [file_path, begin, end, length] { ScanLength(file_path, begin, end, length); });
    }
  }

  // Returns at once: the connection is made on the stream's own thread. The title is the
  // address; the stream's name follows through `streamtitle` once connected.
  std::string WebLoad(const std::string& url) {
    DropItem();
    item.is_stream = true;
    item.path = url;
    item.stream = std::make_shared<HttpStream>();
    item.stream->Start(url, ReadProxySettings());
    item.playable = true;
    return url;
  }

  // Rate, layer and bit rate of a stream are known once it is connected.
  void UpdateStreamFacts() {
    if (!item.is_stream || item.sample_rate > 0) return;
    std::shared_ptr<HttpStream> s = item.stream ? item.stream : current_stream_.lock();
    if (!s || s->CurrentState() != HttpStream::State::ready) return;
    FrameHeader first = s->FirstFrame();
    item.sample_rate = first.sample_rate;
    item.layer = first.layer;
    item.kbps = first.bitrate_kbps;
  }

  void Play(const std::string& fallback_path) {
    // The player hands over its display name here; the file is the one `load` opened.
    if (item.path.empty() && !fallback_path.empty()) Load(fallback_path);
    StopPlayback();
    windows.EnsureOwner("Velmora MPEG");
    playback = std::make_shared<Playback>(windows.Instance(), &MpegPlugin::OnFailure);
    if (!item.playable) {
      playback->StartNothing();
    } else if (item.is_stream) {
      // A stream is read once: playing it again needs a fresh connection.
      std::shared_ptr<HttpStream> stream = std::move(item.stream);
      item.stream.reset();
      if (!stream) {
        stream = std::make_shared<HttpStream>();
        stream->Start(item.path, ReadProxySettings());
      }
      current_stream_ = stream;
      playback->Start([stream](const char**) { return MpegPcm::OpenStream(stream); }, false,
                      [stream] { stream->Abort(); });
    } else {
      std::string path = item.path;
      uint64_t begin = item.audio_begin, end = item.audio_end;
      playback->Start(
          [path, begin, end](const char** failure) {
            return MpegPcm::OpenFile(path, begin, end, failure);
          },
          true, nullptr);
    }
    RefreshId3Window();
  }

  // The title of the playing stream's metadata; until one comes, its name (UTF-8).
  std::string StreamTitleOrName() const {
    auto s = current_stream_.lock();
    if (!s) return "";
    std::string title = s->Title();
    return title.empty() ? s->Name() : title;
  }

  std::string StreamTitle() const {
    auto s = current_stream_.lock();
    return s ? Utf8ToAnsi(s->Title()) : "";
  }

  // --- windows of the plug-in -------------------------------------------------------------

  static void OnFailure(const char* message);

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
      text += "Stream: " + Utf8ToAnsi(item.path) + "\r\n";
      if (s && !s->Name().empty()) text += "Name: " + s->Name() + "\r\n";
      text += "Now playing: " + StreamTitle() + "\r\n";
      return text;
    }
    text += "File: " + Utf8ToAnsi(item.path) + "\r\n\r\n";
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
    SetDlgItemTextA(id3_window, PluginWindows::kEditId, Id3Text().c_str());
  }

  void ShowId3() {
    HWND w = windows.TextWindow(&id3_window, "ID3 Tags", 420, 360);
    if (!w) return;
    RefreshId3Window();
    SetTimer(w, kRefreshTimer, 1000, nullptr);  // a stream's title changes as it plays
    ShowWindow(w, SW_SHOWNORMAL);
    SetForegroundWindow(w);
  }

  void ShowAbout() {
    windows.ShowText(&about_window, "About the MPEG plug-in", 420, 220, kAboutText, true);
  }

  // Never takes the focus from the player.
  void ShowMessage(const char* message) {
    windows.ShowText(&message_window, "MPEG plug-in", 360, 140, std::string(message) + ".", false);
  }

  void ShowPopup(int x, int y) {
    windows.EnsureOwner("Velmora MPEG");
    const UINT cmd = windows.PopupMenu(x, y, {{kMenuAbout, "About"}, {kMenuId3, "ID3 Tags..."}});
    if (cmd == kMenuAbout) ShowAbout();
    if (cmd == kMenuId3) ShowId3();
  }

  void DestroyWindows() { windows.Destroy({&id3_window, &about_window, &message_window}); }

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
  HWND owner = Plugin().windows.Owner();
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
      case WM_TIMER:
        if (wp == kRefreshTimer && hwnd == p.id3_window && p.item.is_stream) {
          auto s = p.current_stream_.lock();
          if (s && s->TitleVersion() != p.shown_title_version) p.RefreshId3Window();
        }
        return 0;
      case WM_CLOSE:
        KillTimer(hwnd, kRefreshTimer);  // a hidden window has nothing to refresh
        PluginWindows::HandleCommon(hwnd, msg, lp);
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
}  // namespace velmora::mpeg

using velmora::mpeg::Plugin;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    Plugin().windows.SetInstance(instance);
  }
  return TRUE;
}

using velmora::output::ArgText;
using velmora::output::HostText;
using velmora::output::KeepText;
using velmora::output::RunEntry;

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
  RunEntry([&] {
    Plugin().folder = ArgText(folder);
    velmora::mpeg::MpegDecoder::InitLibrary();
  });
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL deinit() {
  RunEntry([] {
    Plugin().DropItem();
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
    if (p.item.playable)
      title = KeepText(&p.load_text, HostText(velmora::mpeg::DisplayTitle(p.item.tags, file)));
  });
  if (ok && title) return title;
  if (!ok) p.item = velmora::mpeg::LoadedItem{};
  // Anything that will not play shows its file name; `length` is 0 and playback ends at once.
  return KeepText(&p.load_text, HostText(velmora::mpeg::FileNameOf(file)));
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL webload(VelmoraStringRef* url) {
  auto& p = Plugin();
  std::string address = ArgText(url);
  const char* text = nullptr;
  if (RunEntry([&] { text = KeepText(&p.web_text, HostText(p.WebLoad(address))); })) return text;
  return KeepText(&p.web_text, HostText(address));
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

VELMORA_PLUGIN_EXPORT int32_t VELMORA_STDCALL length() { return Plugin().item.length->ms.load(); }

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
    if (p.playback) {
      int32_t target = ms;
      int32_t length = p.item.length->ms.load();
      if (length > 0 && target > length) target = length;
      p.playback->Seek(target);
    }
  });
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL frequence() {
  auto& p = Plugin();
  RunEntry([&] { p.UpdateStreamFacts(); });
  return KeepText(&p.frequency_text, p.item.sample_rate > 0
                                         ? velmora::mpeg::FrequencyText(p.item.sample_rate)
                                         : std::string());
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL bitrate() {
  auto& p = Plugin();
  RunEntry([&] { p.UpdateStreamFacts(); });
  return KeepText(&p.bitrate_text,
                  p.item.kbps > 0 ? velmora::mpeg::BitrateText(p.item.kbps) : std::string());
}

VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL layer() {
  auto& p = Plugin();
  RunEntry([&] { p.UpdateStreamFacts(); });
  return KeepText(&p.layer_text,
                  p.item.layer > 0 ? velmora::mpeg::LayerText(p.item.layer) : std::string());
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL showid3() {
  RunEntry([] { Plugin().ShowId3(); });
}

VELMORA_PLUGIN_EXPORT void VELMORA_STDCALL showoptionspopup(int32_t x, int32_t y) {
  RunEntry([&] { Plugin().ShowPopup(x, y); });
}

// Not part of the player's contract: the current title of a playing stream (from its
// metadata; its name until the first title), "" for files. Lets a host that polls it
// follow the stream's titles.
VELMORA_PLUGIN_EXPORT const char* VELMORA_STDCALL streamtitle() {
  static std::string text;
  if (!RunEntry([] { text = HostText(Plugin().StreamTitleOrName()); })) text.clear();
  return text.c_str();
}

// Optional entry: names and texts in UTF-8 from now on (see input_plugin_abi.h).
VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL utf8names() {
  return velmora::output::AgreeToUtf8Names();
}

// Optional entry: the peaks of the samples audible now (see input_plugin_abi.h).
VELMORA_PLUGIN_EXPORT VelmoraFlag VELMORA_STDCALL audiblepeaks(VelmoraAudiblePeaks* peaks) {
  return velmora::output::FillAudiblePeaks(Plugin().playback.get(), peaks);
}
