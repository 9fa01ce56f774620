// Unpacking skin archives (.wsz, .zip) into Design\<archive name>\ with the zip reader
// of minizip, under the rules of design/skin_archive.h.
#pragma once

#include <string>
#include <vector>

namespace velmora {

struct SkinUnpackResult {
  bool ok = false;
  std::string name;    // the design (folder) name
  std::string status;  // what to tell the user
};

// Unpacks `archive` into <design_root>\<archive name>\. The files land in a scratch
// folder first and move into place only when every one of them is written, so a refused
// or damaged archive leaves nothing behind. A folder of that name that holds the
// archive's files already (unpacked before) is the design to use; one that holds anything
// else is another design, kept as it is, and the archive goes under the first free name
// ("Default (2)").
SkinUnpackResult UnpackSkinArchive(const std::string& design_root, const std::string& archive);

// Unpacks every .wsz/.zip placed in <design_root> that is not unpacked yet; returns the
// status texts of the archives that failed.
std::vector<std::string> UnpackPlacedSkinArchives(const std::string& design_root);

}  // namespace velmora
