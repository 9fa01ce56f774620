#include "options/options_tree.h"

namespace velmora {

const OptionsNode kOptionsNodes[] = {
    {"General", 0},        {"Update", 0},         {"Infos", 0},
    {"Design Info", 1},    {"Memory Infos", 1},   {"System Info", 1},
    {"Plugins", 0},        {"Input Plugins", 1},  {"Visualisation Plugins", 1},
    {"Help/About", 0},     {"Help", 1},           {"About", 1},
    {"History", 1},        {"Greetings", 1},      {"Configuration", 0},
    {"Sound Options", 1},  {"Web", 1},            {"Errors", 1},
    {"FileType/Icons", 1},
};
const int kOptionsNodeCount = static_cast<int>(sizeof kOptionsNodes / sizeof kOptionsNodes[0]);

namespace {

const OptionsPageInfo kPages[kOptionsPageCount] = {
    {OptionsPageId::General, "General", "General Options"},
    {OptionsPageId::Web, "Web", "Web Options"},
    {OptionsPageId::Errors, "Errors", "Errors Logging"},
    {OptionsPageId::MemoryInfos, "Memory Infos", "Memory Infos"},
    {OptionsPageId::FileTypeIcons, "FileType/Icons", "FileType - Icons"},
    {OptionsPageId::InputPlugins, "Input Plugins", "Input Plugins"},
    {OptionsPageId::Help, "Help", "Help"},
    {OptionsPageId::History, "History", "History"},
    {OptionsPageId::About, "About", "About"},
    {OptionsPageId::Greetings, "Greetings", "Greetings"},
    {OptionsPageId::VisualisationPlugins, "Visualisation Plugins", "Visualisation Plugins"},
    {OptionsPageId::DesignInfo, "Design Info", "Design Informations"},
    {OptionsPageId::SoundOptions, "Sound Options", "Sound Options"},
    {OptionsPageId::Update, "Update", "Auto Update"},
    {OptionsPageId::SystemInfo, "System Info", "System Info"},
};

}  // namespace

const OptionsPageInfo& PageInfo(OptionsPageId id) { return kPages[static_cast<int>(id)]; }

std::optional<OptionsPageId> PageForNode(const std::string& node_text) {
  for (const auto& page : kPages)
    if (node_text == page.node_text) return page.id;
  return std::nullopt;
}

}  // namespace velmora
