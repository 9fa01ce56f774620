#include "plugins/plugin_system_win.h"

#include <utility>

#include "plugins/plugin_system_core.h"

namespace velmora {

namespace {

// Keeps the module system alive until after the core (members are destroyed after the
// base, so hold it in a base that is constructed first).
struct ModulesHolder {
  std::unique_ptr<ModuleSystem> modules;
};

class OwnedPluginSystem : private ModulesHolder, public PluginSystemCore {
 public:
  OwnedPluginSystem(std::unique_ptr<ModuleSystem> m, const std::string& program_folder,
                    std::function<void()> process_messages,
                    std::function<void(const std::string&)> non_input_handoff)
      : ModulesHolder{std::move(m)},
        PluginSystemCore(Deps{*ModulesHolder::modules, std::move(process_messages),
                              std::move(non_input_handoff)},
                         program_folder) {}
};

}  // namespace

std::unique_ptr<PluginSystem> CreatePluginSystem(
    const std::string& program_folder, std::function<void()> process_messages,
    std::function<void(const std::string& full_path)> non_input_handoff) {
  return std::make_unique<OwnedPluginSystem>(CreateWin32ModuleSystem(), program_folder,
                                             std::move(process_messages),
                                             std::move(non_input_handoff));
}

}  // namespace velmora
