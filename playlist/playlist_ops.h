// The editing commands of the playlist window that do not need a window: sorts, moves,
// shuffle, removal, the drop rules, the folder scan and the auto-play check. The Win32
// window calls these and shows the result; unit tests drive them directly.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "playlist/random.h"
#include "playlist/playlist.h"
#include "plugins/input_plugin.h"

namespace velmora {

enum class SortKey { Name, Path };
enum class SortOrder { Ascending, Descending };

// Reorders the rows as the row-exchange sort the window has always used would (stable;
// keys compared as unsigned bytes, no case folding), in O(n log n). A row whose text the
// exchanges would have rewritten loses its selected mark; the caret row and the current
// index stay. Notifies a reset when anything moved.
void SortPlaylist(Playlist& playlist, SortKey key, SortOrder order);

// Selected rows move one row up / down, exchange by exchange (see the .cpp).
void MoveSelectedUp(Playlist& playlist);
void MoveSelectedDown(Playlist& playlist);

// count - 1 draws from the shared generator, each exchanging row 0 with the drawn row.
void RandomizePlaylist(Playlist& playlist, RandomGenerator& random);

// Deletes the selected rows and updates the track count. The current index stays.
// Returns true when the playlist is now empty (the caller stops a playing song).
bool RemoveSelected(Playlist& playlist);

// Empties the playlist, sets the current index to 0 and Label3 to "0". The caller stops
// playback first when a song plays and tells an active design library the new index.
void RemoveAll(Playlist& playlist);

// How a long folder path is shown in the scan's progress label: "C:\  \Album".
std::string ShortenFolderText(const std::string& text);

// The extension a dropped name is judged by: everything after its last ".", upper-cased
// (ASCII only); empty when the name has no "." or ends with one.
std::string DroppedExtension(const std::string& name);

// Files dropped from the shell: supported extensions are added, "M3U"/"M3U8" playlists read,
// anything else ignored; then the track count is updated. Returns the first playlist
// read error (the other names are still handled), empty when none.
std::string AddDroppedFiles(Playlist& playlist, const std::vector<std::string>& names,
                            const PluginSelector& selector);

// Whether the commands that add songs may start playback as far as the plug-in goes:
// no plug-in loaded yet (a fresh run: nothing can be playing), or a loaded one whose
// playing entry is present and reports false. A loaded plug-in without that entry, or
// one that faults in it, cannot tell and counts as playing.
bool IdleForAutoPlay(InputPlugin& plugin);

// Auto-play check run at the end of several commands: autoplay set, Label3 not "0" (two
// entries or more) and IdleForAutoPlay.
bool AutoPlayDue(const Playlist& playlist, bool autoplay, InputPlugin& plugin);

// The listing the folder scan needs; the Win32 layer answers from FindFirstFile.
class FolderSource {
 public:
  virtual ~FolderSource() = default;
  // Names of the entries of folder (which ends in "\"), "." and ".." included, in the
  // order the file system gives. False when the folder cannot be enumerated.
  virtual bool List(const std::string& folder, std::vector<std::string>& names) = 0;
  virtual bool IsFolder(const std::string& path) = 0;
  virtual bool IsFile(const std::string& path) = 0;
};

// Where the scan shows its progress; ProcessEvents lets pending window messages run.
class ScanProgress {
 public:
  virtual ~ScanProgress() = default;
  virtual void FoldersProcessed(size_t count) = 0;          // Label6
  virtual void EntriesExamined(size_t count) = 0;           // Label7
  virtual void CurrentFolder(const std::string& text) = 0;  // Label10 (already shortened)
  virtual void CurrentFile(const std::string& name) = 0;    // Label11
  virtual void ProcessEvents() = 0;
  // A playlist file met in the tree could not be read.
  virtual void PlaylistError(const std::string& message) { (void)message; }
};

// The two work lists of a scan. They belong to the window, so a scan started while
// another runs (messages run in its middle) shares them, as the window always did.
struct FolderScanQueues {
  std::deque<std::string> directorys;  // folders still to search for subfolders
  std::deque<std::string> forfile;     // folders whose files are still to be added
};

// The folder and file phases of "Add folder": breadth-first over the folders, files in
// enumeration order. Supported files are added, "M3U"/"M3U8" files not otherwise
// supported are read as playlists. Current index and track count are left to the caller.
void ScanFolders(FolderScanQueues& queues, Playlist& playlist, FolderSource& source,
                 const PluginSelector& selector, ScanProgress& progress);

}  // namespace velmora
