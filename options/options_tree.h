// The options window's navigation: the tree's nodes in display order and the fifteen
// pages, each with the node text that selects it and the title line it shows. Portable.
#pragma once

#include <optional>
#include <string>

namespace velmora {

struct OptionsNode {
  const char* text;
  int depth;  // 0 for a top-level node, 1 for a child of the group above
};

// Every node of the tree, in display order.
extern const OptionsNode kOptionsNodes[];
extern const int kOptionsNodeCount;

// The pages, in the order navigation compares node texts (page index = position here).
enum class OptionsPageId : int {
  General,
  Web,
  Errors,
  MemoryInfos,
  FileTypeIcons,
  InputPlugins,
  Help,
  History,
  About,
  Greetings,
  VisualisationPlugins,
  DesignInfo,
  SoundOptions,
  Update,
  SystemInfo,
};
inline constexpr int kOptionsPageCount = 15;

struct OptionsPageInfo {
  OptionsPageId id;
  const char* node_text;  // the tree node that selects the page
  const char* title;      // the page's title line
};
const OptionsPageInfo& PageInfo(OptionsPageId id);

// The page a node selects: the first page whose node text equals `node_text` exactly.
// Group nodes ("Infos", "Plugins", ...) select none, and the page shown stays.
std::optional<OptionsPageId> PageForNode(const std::string& node_text);

}  // namespace velmora
