// What the Design Info page shows of the design in force. Portable.
#pragma once

#include <string>
#include <vector>

namespace velmora {

struct DesignInForce {
  bool library = false;  // a design library draws the player
  std::string name;      // the library's DesignName, or the design folder's name
  std::string path;      // the library file, or the design folder (with its final "\")
};

// The design in force, as the program knows it.
class DesignInfoSource {
 public:
  virtual ~DesignInfoSource() = default;
  virtual DesignInForce CurrentDesign() = 0;
};

// The design folder of a folder design: program folder + "\design\" + name + "\".
std::string DesignFolderPath(const std::string& program_folder, const std::string& name);

// The lines of "info.txt" in the design folder, each line of the file one line; the two
// default lines when the file is not there.
std::vector<std::string> DesignInfoLines(const std::string& design_folder);

}  // namespace velmora
