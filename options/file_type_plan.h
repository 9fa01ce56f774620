// The registry entries that tie file extensions to the player, worked out before anything
// is written: which keys below the classes root, which default values, in which order.
#pragma once

#include <string>
#include <vector>

namespace velmora {

// One key created (or opened) below the classes root and its default value (a string).
struct ClassKeyWrite {
  std::string key;  // e.g. "Velmora MP3 File\\shell\\open\\command"
  std::string value;
};
inline bool operator==(const ClassKeyWrite& a, const ClassKeyWrite& b) {
  return a.key == b.key && a.value == b.value;
}

struct FileTypePlan {
  // Written first, whatever is selected: the shared type "Velmora File" (program icon).
  std::vector<ClassKeyWrite> shared;
  // Per selected extension, top to bottom: its writes, then "Registered Filetype : E".
  struct Extension {
    std::string extension;
    std::vector<ClassKeyWrite> writes;
  };
  std::vector<Extension> extensions;
};

// `program_path` is the running executable; `icon_file` the full path of the chosen icon
// file, or empty for the program's own icon (all extensions share "Velmora File", which
// has no icon entry). With an icon file and no extension nothing is written.
FileTypePlan PlanFileTypes(const std::string& program_path, const std::string& icon_file,
                           const std::vector<std::string>& extensions);

// The command that opens a file: "X" "%1".
std::string OpenCommand(const std::string& program_path);

}  // namespace velmora
