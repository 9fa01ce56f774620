#include "plugins/input_plugin.h"

namespace velmora {

const char* PluginEntryName(PluginEntry entry) {
  static const char* const kNames[] = {
      "load",    "play",      "pause",   "stop",        "init",    "deinit", "showoptionspopup",
      "playing", "length",    "jumpto",  "getposition", "paused",  "ended",  "bitrate",
      "layer",   "frequence", "showid3", "webload",     "dllname", "author", "version",
      "date",    "support",   "info"};
  static_assert(sizeof(kNames) / sizeof(kNames[0]) == static_cast<int>(PluginEntry::Count),
                "one name per entry");
  const int i = static_cast<int>(entry);
  if (i < 0 || i >= static_cast<int>(PluginEntry::Count)) return "";
  return kNames[i];
}

}  // namespace velmora
