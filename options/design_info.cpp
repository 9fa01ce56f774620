#include "options/design_info.h"
#include "ui/utf8.h"

#include <fstream>

namespace velmora {

std::string DesignFolderPath(const std::string& program_folder, const std::string& name) {
  return program_folder + "\\design\\" + name + "\\";
}

std::vector<std::string> DesignInfoLines(const std::string& design_folder) {
  std::ifstream file(ui::PathFromUtf8(design_folder + "info.txt"), std::ios::binary);
  if (!file) return {"Should have an info from the", "design here ... ;)"};
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace velmora
