#include "design/classic_skin_win.h"

#include <stdexcept>

namespace velmora {

void ImportClassicSkin(App&, const std::string& name) {
  throw std::runtime_error("Classic skins are not supported yet: " + name);
}

}  // namespace velmora
