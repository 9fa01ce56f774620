// The errors of this run: every failure the program's ErrorSink recorded, in order. The
// Errors page shows them as they come and errors.log receives them at exit. Portable.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace velmora {

class ErrorListObserver {
 public:
  virtual ~ErrorListObserver() = default;
  virtual void ErrorAdded(const std::string& line) = 0;
};

class ErrorList {
 public:
  void Append(const std::string& line) {
    lines_.push_back(line);
    // A copy: an observer may come or go while it is told.
    const std::vector<ErrorListObserver*> observers = observers_;
    for (ErrorListObserver* observer : observers) observer->ErrorAdded(line);
  }
  const std::vector<std::string>& Lines() const { return lines_; }

  void AddObserver(ErrorListObserver* observer) { observers_.push_back(observer); }
  void RemoveObserver(ErrorListObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer),
                     observers_.end());
  }

 private:
  std::vector<std::string> lines_;
  std::vector<ErrorListObserver*> observers_;
};

}  // namespace velmora
