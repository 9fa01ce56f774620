// Playlist figures: reading and writing a 100,000-entry playlist file (target under
// 150 ms each), sorting 100,000 entries by name and by path, and a 10,000-file folder
// scan against an in-memory tree (the scan logic alone, without the window).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "playlist/playlist.h"
#include "playlist/playlist_ops.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

std::string RandomWord(std::mt19937& rng, size_t length) {
  std::string word;
  for (size_t i = 0; i < length; ++i)
    word.push_back("abcdefghijklmnopqrstuvwxyzABCDEFG 0123456789"[rng() % 44]);
  return word;
}

struct AllSupported : velmora::PluginSelector {
  bool IsSupportedExtension(const std::string& text) const override { return text == "MP3"; }
  bool SelectPluginForFile(const std::string&) override { return true; }
};

struct MemoryTree : velmora::FolderSource {
  std::map<std::string, std::vector<std::string>> folders;
  bool List(const std::string& folder, std::vector<std::string>& names) override {
    auto it = folders.find(folder);
    if (it == folders.end()) return false;
    names = it->second;
    return true;
  }
  bool IsFolder(const std::string& path) override { return folders.count(path + "\\") > 0; }
  bool IsFile(const std::string& path) override {
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".mp3") == 0;
  }
};

struct QuietProgress : velmora::ScanProgress {
  void FoldersProcessed(size_t) override {}
  void EntriesExamined(size_t) override {}
  void CurrentFolder(const std::string&) override {}
  void CurrentFile(const std::string&) override {}
  void ProcessEvents() override {}
};

}  // namespace

int main() {
  constexpr size_t kEntries = 100000;
  std::mt19937 rng(42);
  velmora::Playlist source;
  {
    std::vector<std::string> paths;
    paths.reserve(kEntries);
    for (size_t i = 0; i < kEntries; ++i) {
      paths.push_back("C:\\Music\\" + RandomWord(rng, 8) + "\\" + RandomWord(rng, 10) + "\\" +
                      RandomWord(rng, 16) + ".mp3");
    }
    source.AppendPaths(paths);
  }

  char dir_template[] = "/tmp/velmora_bench_XXXXXX";
  if (!mkdtemp(dir_template)) return 1;
  const std::string file = std::string(dir_template) + "/big.m3u";

  auto start = Clock::now();
  source.SavePlaylistFile(file);
  std::printf("write %zu-entry playlist: %.1f ms (target < 150 ms)\n", kEntries, Ms(start));

  velmora::Playlist loaded;
  start = Clock::now();
  size_t read = loaded.LoadPlaylistFile(file);
  std::printf("read %zu-entry playlist: %.1f ms (target < 150 ms)\n", read, Ms(start));

  velmora::Playlist by_name = source;
  start = Clock::now();
  velmora::SortPlaylist(by_name, velmora::SortKey::Name, velmora::SortOrder::Ascending);
  std::printf("sort %zu entries by name: %.1f ms\n", kEntries, Ms(start));

  velmora::Playlist by_path = source;
  start = Clock::now();
  velmora::SortPlaylist(by_path, velmora::SortKey::Path, velmora::SortOrder::Descending);
  std::printf("sort %zu entries by path: %.1f ms\n", kEntries, Ms(start));

  // 1,000 folders of 10 files each, in a tree ten folders wide.
  MemoryTree tree;
  std::vector<std::string> queue{"C:\\Tree\\"};
  size_t made = 1;
  for (size_t q = 0; q < queue.size(); ++q) {
    std::vector<std::string>& names = tree.folders[queue[q]];
    names = {".", ".."};
    for (int f = 0; f < 10; ++f) names.push_back("track" + std::to_string(f) + ".mp3");
    for (int d = 0; d < 10 && made < 1000; ++d, ++made) {
      names.push_back("folder" + std::to_string(d));
      queue.push_back(queue[q] + "folder" + std::to_string(d) + "\\");
    }
  }
  velmora::Playlist scanned;
  velmora::FolderScanQueues queues;
  queues.directorys.push_back("C:\\Tree");
  AllSupported selector;
  QuietProgress progress;
  start = Clock::now();
  velmora::ScanFolders(queues, scanned, tree, selector, progress);
  std::printf("scan %zu folders, %zu files (logic only): %.1f ms\n", tree.folders.size(),
              scanned.Count(), Ms(start));

  std::remove(file.c_str());
  rmdir(dir_template);
  return 0;
}
