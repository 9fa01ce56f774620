// Design folders: where a design's files are, how the chooser lists them and how big its
// preview makes the chooser. Names are matched without regard to letter case, so a
// design opened as "design\Dark\Back.BMP" works on a file system that keeps case too.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// What the design in force supplies beyond its pictures; the chooser keeps it up to date
// and the main window reads it.
struct FolderDesignState {
  std::string name;                    // the design folder last applied
  bool deact_image_available = false;  // it has a picture for the inactive window
};

// One directory entry as the system enumerates it.
struct DirEntry {
  std::string name;
  bool is_directory = false;
};

// Lists the entries of a directory; false when it cannot be read.
using DirLister = std::function<bool(const std::string& dir, std::vector<DirEntry>* entries)>;

// The entry of `entries` named `name`: the exact name when present, else the first that
// matches without regard to letter case.
std::optional<std::string> MatchNoCase(const std::vector<DirEntry>& entries,
                                       const std::string& name);

// Resolves `relative` (components separated by '\' or '/') below `root` component by
// component, each matched without regard to case. Components that are not found keep
// their spelling, so the result names the file the caller would have opened. `sep` is
// the separator used in the result.
std::string ResolveNoCase(const std::string& root, const std::string& relative,
                          const DirLister& lister, char sep);

// The chooser's entries: header line first, then every directory of the Design folder
// other than "." and "..", in enumeration order.
inline constexpr char kHeaderLine[] = "---Classics---";
inline constexpr char kMarkerNone[] = "None";
inline constexpr char kMarkerClassic[] = "Classic";
struct DesignEntry {
  std::string name;    // Designbox text
  std::string marker;  // designdlls text
};
std::vector<DesignEntry> ListDesignEntries(const std::vector<DirEntry>& design_folder);

// The first entry whose name equals `text` exactly; -1 when none does or `text` is empty.
int FindDesignEntry(const std::vector<DesignEntry>& entries, const std::string& text);

// The chooser's size for a preview picture placed at (left, top) of the given size.
struct Size {
  int width, height;
};
Size PreviewFit(int image_left, int image_top, int image_width, int image_height);

// Paths of a design's files: program folder + "\design\" + name + "\" + file.
std::string DesignFilePath(const std::string& program_folder, const std::string& name,
                           const std::string& file);

}  // namespace velmora
