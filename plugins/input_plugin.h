// The current input plug-in as the portable core sees it: the 24 named entries, each
// possibly absent. The Win32 layer resolves them from a library and calls them guarded;
// unit tests use a fake. A call into an absent entry, or an entry that faults inside the
// library, throws PluginFault, which callers treat like any failure under their guard.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace velmora {

enum class PluginEntry : int {
  load,
  play,
  pause,
  stop,
  init,
  deinit,
  showoptionspopup,
  playing,
  length,
  jumpto,
  getposition,
  paused,
  ended,
  bitrate,
  layer,
  frequence,
  showid3,
  webload,
  dllname,
  author,
  version,
  date,
  support,
  info,
  Count
};

const char* PluginEntryName(PluginEntry entry);

class PluginFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The library itself faulted inside the call (an access violation and the like, a bad
// pointer it handed back): calling it again with the same arguments faults again.
class PluginCrashed : public PluginFault {
 public:
  using PluginFault::PluginFault;
};

class InputPlugin {
 public:
  virtual ~InputPlugin() = default;

  virtual bool Has(PluginEntry entry) const = 0;
  // File name (inside the library folder) of the current library; empty when none.
  virtual std::string Name() const = 0;

  // Text results are copied at once. Flags are read from the low byte.
  virtual std::string load(const std::string& path) = 0;
  virtual void play(const std::string& path) = 0;
  virtual void pause() = 0;
  virtual void stop() = 0;
  virtual void showoptionspopup(int x, int y) = 0;
  virtual bool playing() = 0;
  virtual int32_t length() = 0;
  virtual void jumpto(int32_t ms) = 0;
  virtual int32_t getposition() = 0;
  virtual bool paused() = 0;
  virtual bool ended() = 0;
  virtual std::string bitrate() = 0;
  virtual std::string layer() = 0;
  virtual std::string frequence() = 0;
  virtual void showid3() = 0;
  virtual std::string webload(const std::string& url) = 0;

  // Convenience for the many "present and reports true" tests of the player.
  bool PlayingReportsTrue() { return Has(PluginEntry::playing) && playing(); }
  bool PausedReportsTrue() { return Has(PluginEntry::paused) && paused(); }
  bool EndedReportsTrue() { return Has(PluginEntry::ended) && ended(); }
};

// Which library plays a file (the extension table and the plug-in switch). The core's
// ExtensionTable implements it; the transport only asks.
class PluginSelector {
 public:
  virtual ~PluginSelector() = default;
  virtual bool IsSupportedExtension(const std::string& text) const = 0;
  // May switch the current input plug-in; false when no row matches.
  virtual bool SelectPluginForFile(const std::string& path) = 0;
};

}  // namespace velmora
