// TForm13, the news window: a small dialog with the product's news, shown at start-up
// when "Show news on startup" is set and from the main window's menu. No logic of its own.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/error_sink.h"

namespace velmora {

class NewsWindowControl {
 public:
  virtual ~NewsWindowControl() = default;
  virtual HWND Handle() const = 0;
  virtual void Show() = 0;
};

std::unique_ptr<NewsWindowControl> CreateNewsWindow(ErrorSink& errors);

}  // namespace velmora
