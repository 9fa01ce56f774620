#include "options/file_type_plan.h"

namespace velmora {

std::string OpenCommand(const std::string& program_path) {
  return "\"" + program_path + "\" \"%1\"";
}

FileTypePlan PlanFileTypes(const std::string& program_path, const std::string& icon_file,
                           const std::vector<std::string>& extensions) {
  FileTypePlan plan;
  const std::string command = OpenCommand(program_path);
  if (icon_file.empty()) {
    const std::string type = "Velmora File";
    plan.shared = {{type, type}, {type + "\\shell\\open\\command", command}};
    for (const std::string& e : extensions) plan.extensions.push_back({e, {{"." + e, type}}});
    return plan;
  }
  for (const std::string& e : extensions) {
    const std::string type = "Velmora " + e + " File";
    plan.extensions.push_back({e,
                               {{type, type},
                                {type + "\\DefaultIcon", icon_file},
                                {type + "\\shell\\open\\command", command},
                                {"." + e, type}}});
  }
  return plan;
}

}  // namespace velmora
