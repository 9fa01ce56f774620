#include "plugins/plugin_system_win.h"

#include <utility>

#include "plugins/library_handoff_win.h"
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
                    std::function<void()> process_messages)
      : ModulesHolder{std::move(m)},
        PluginSystemCore(Deps{*ModulesHolder::modules, std::move(process_messages), &AddVisPlugin},
                         program_folder) {}
};

}  // namespace

std::unique_ptr<PluginSystem> CreatePluginSystem(const std::string& program_folder,
                                                 std::function<void()> process_messages) {
  return std::make_unique<OwnedPluginSystem>(CreateWin32ModuleSystem(), program_folder,
                                             std::move(process_messages));
}

}  // namespace velmora
