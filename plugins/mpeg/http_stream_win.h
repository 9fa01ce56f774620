// An http:// MP3 stream through WinINet, with Icecast/SHOUTcast metadata taken out of
// the audio. Opened on the player's thread (webload), read on the output thread.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <mutex>
#include <string>

#include "plugins/mpeg/mpeg_decoder.h"
#include "plugins/mpeg/mpeg_stream.h"
#include "plugins/mpeg/win_handles_win.h"

namespace velmora::mpeg {

struct ProxySettings {
  bool use = false;
  std::string host, port, user, password;
};

// The player's proxy settings (HKCU\Software\velmora: UseProxy, Host, Port, User, Password).
ProxySettings ReadProxySettings();

class HttpStream : public ByteSource {
 public:
  HttpStream() = default;
  ~HttpStream() override;

  // Connects and reads the response headers (blocking, with timeouts). On success the
  // first frame has been found, so SampleRate()/Layer()/Kbps() are known.
  bool Open(const std::string& url, const ProxySettings& proxy, std::string* error);

  const std::string& Name() const { return name_; }  // icy-name, may be empty
  const FrameHeader& FirstFrame() const { return first_; }

  // The stream's current title from its metadata ("" until the server sends one), and a
  // counter that changes whenever the title does.
  std::string Title() const;
  unsigned TitleVersion() const { return title_version_.load(); }

  // Makes a blocked Read return at once (from another thread); reads then report the end.
  void Abort();

  long Read(void* buffer, size_t count) override;
  int64_t Seek(int64_t, int) override { return -1; }

 private:
  bool Fill();  // reads more from the network into audio_; false at the end

  UniqueInternet session_;
  UniqueInternet request_;
  std::mutex handle_mutex_;  // Abort closes the handles while Read may use them
  std::atomic<bool> aborted_{false};
  IcyDemuxer demuxer_{0};
  std::string audio_;        // demuxed audio not yet handed out
  size_t audio_pos_ = 0;
  std::string name_;
  FrameHeader first_;
  mutable std::mutex title_mutex_;
  std::string title_;
  std::atomic<unsigned> title_version_{0};
};

}  // namespace velmora::mpeg
