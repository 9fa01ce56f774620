// Skin archives (.wsz, .zip): which entries of an archive may be unpacked into its
// Design\<archive name>\ folder and under which names. Nothing here reads the zip format;
// the Win32 side lists the entries, asks for a plan, then unpacks what the plan says.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// True for a name ending in .wsz or .zip (any letter case).
bool IsSkinArchiveName(const std::string& path);
// The design name of an archive: its file name without folder and extension, other dots
// turned into '_' (the chooser lists only folder names without a dot).
std::string SkinNameOfArchive(const std::string& path);
// A design name that can be a folder under Design: not empty, no separators, no ".",
// "..", device names or trailing dots and spaces.
bool IsUsableSkinName(const std::string& name);

struct ArchiveEntry {
  std::string name;   // as stored, '/' or '\' separated
  uint64_t size = 0;  // uncompressed size the archive claims
  bool directory = false;
};

// Bounds that hold a skin's few dozen small pictures with room to spare.
struct ArchiveLimits {
  size_t max_entries = 1024;
  uint64_t max_total = 32ull << 20;  // bytes, all files together
};

struct UnpackItem {
  size_t index;      // position in the archive's entry list
  std::string file;  // plain file name inside the skin folder
  uint64_t size;     // claimed size
};

enum class ArchiveRefusal : int { none, too_many, unsafe_name, too_large, damaged, cannot_write };

struct UnpackPlan {
  ArchiveRefusal refusal = ArchiveRefusal::none;
  std::string unsafe_entry;  // the first unsafe name
  std::vector<UnpackItem> files;
  bool Ok() const { return refusal == ArchiveRefusal::none; }
};

// Refuses the whole archive when an entry climbs out (".."), is absolute (leading
// separator, drive letter), names a device (CON, NUL, COM1, ...), holds characters no
// file name may have, or when there are too many entries or the sizes add up beyond the
// bound. Otherwise the skin's folder is the shallowest one holding main.bmp (any letter
// case; the archive's top when it is there), so a skin packed inside a folder, beside
// other folders, is found; without main.bmp anywhere a single top folder holding
// everything is flattened away. Only the files directly in the skin's folder are
// unpacked (a skin's pictures lie at its top); of names that differ only in letter case
// the first is kept.
UnpackPlan PlanSkinUnpack(const std::vector<ArchiveEntry>& entries,
                          const ArchiveLimits& limits = {});

// The first of `base`, "base (2)", "base (3)", ... that `usable` accepts (a folder of that
// name is not there, or holds what is being unpacked); empty when none up to 999 is.
template <typename Usable>
std::string FreeSkinName(const std::string& base, Usable&& usable) {
  if (usable(base)) return base;
  for (int n = 2; n < 1000; ++n) {
    const std::string name = base + " (" + std::to_string(n) + ")";
    if (usable(name)) return name;
  }
  return {};
}

// The status text after unpacking (or refusing) an archive; `entry` is the unsafe name,
// or the folder that could not be written.
std::string ArchiveStatusText(const std::string& archive_name, ArchiveRefusal why,
                              const std::string& entry, const ArchiveLimits& limits = {});

}  // namespace velmora
