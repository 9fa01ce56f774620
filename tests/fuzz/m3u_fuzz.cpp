// Fuzz target for the playlist reader: the bytes become a playlist file that
// LoadPlaylistFile reads; the reader must not crash, read out of bounds or invent
// entries (never more than one per line end, plus the last line).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "playlist/m3u.h"
#include "playlist/playlist.h"

namespace {

const std::string& TempPath() {
  // The backslash makes the folder-joining rules apply on this system too.
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/velmora_fuzz_" + std::to_string(getpid()) +
           "\\list.m3u";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = TempPath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  if (size) std::fwrite(data, 1, size, file);
  std::fclose(file);

  velmora::Playlist playlist;
  size_t added = 0;
  try {
    added = playlist.LoadPlaylistFile(path);
  } catch (const velmora::PlaylistFileError&) {
    return 0;
  }
  size_t ends = 0;
  for (size_t i = 0; i < size; ++i) ends += (data[i] == '\r' || data[i] == '\n');
  if (added > ends + 1 || playlist.Names().size() != playlist.Paths().size()) std::abort();

  // What was read must survive a write and a second read unchanged.
  std::string text = velmora::FormatM3uText(playlist.Paths());
  std::vector<std::string> again;
  velmora::ParseM3uText(text.data(), text.size(), velmora::PlaylistFolderOf(path), again);
  for (size_t i = 0; i < again.size() && i < playlist.Count(); ++i) {
    const std::string& first = playlist.Path(static_cast<long long>(i));
    // Joined relative lines gain the folder once more on a re-read; absolute ones match.
    if (first.size() > 2 && first[1] == ':' && first.find("://") == std::string::npos &&
        again[i] != first)
      std::abort();
  }
  if (again.size() > playlist.Count()) std::abort();
  std::remove(path.c_str());
  return 0;
}
