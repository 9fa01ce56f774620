// The program's ErrorSink from its first moment: the windows and the player's host get it
// before the player, which keeps the error list, exists. What is reported meanwhile waits
// here and reaches the player, in order, once it is attached. Portable.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ui/error_sink.h"

namespace velmora {

class ErrorRelay : public ErrorSink {
 public:
  void Report(const std::string& message) override {
    if (target_)
      target_->Report(message);
    else
      waiting_.push_back(message);
  }

  // Reports go to `target` from now on, those that waited first; null: they wait again.
  void SetTarget(ErrorSink* target) {
    target_ = target;
    if (!target_) return;
    std::vector<std::string> waiting = std::move(waiting_);
    waiting_.clear();
    for (const std::string& message : waiting) target_->Report(message);
  }

  // Attaches a target for as long as it lives.
  class Attachment {
   public:
    Attachment(ErrorRelay& relay, ErrorSink& target) : relay_(relay) { relay_.SetTarget(&target); }
    ~Attachment() { relay_.SetTarget(nullptr); }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

   private:
    ErrorRelay& relay_;
  };

 private:
  ErrorSink* target_ = nullptr;
  std::vector<std::string> waiting_;
};

}  // namespace velmora
