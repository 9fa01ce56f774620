// TForm8, the "Add a Url " dialog of the playlist window: what it adds goes into the
// playlist; its failures go to the error sink.
#pragma once

#include <memory>

#include "playlist/playlist.h"
#include "ui/error_sink.h"
#include "ui/hint_echo.h"

namespace velmora {

class UrlDialog {
 public:
  virtual ~UrlDialog() = default;
  // Shows the dialog in front; it does not block the other windows.
  virtual void Show() = 0;
};

// `hints`: where the hint of the address field goes besides its tooltip.
std::unique_ptr<UrlDialog> CreateAddUrlDialog(Playlist& playlist, ErrorSink& errors,
                                              ui::HintEcho& hints);

}  // namespace velmora
