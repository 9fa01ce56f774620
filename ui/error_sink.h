// The one reporting boundary of the program. Every window procedure, timer, deferred
// start-up step and shutdown step runs its work through an ErrorSink, so that a failure
// is recorded (the status line shows "Error : " + its text, the error list keeps it)
// instead of escaping into the window system or vanishing. Portable.
#pragma once

#include <exception>
#include <string>

namespace velmora {

class ErrorSink {
 public:
  virtual ~ErrorSink() = default;

  // Records one failure.
  virtual void Report(const std::string& message) = 0;

  // Runs `body`; what it throws is reported here and goes no further. Returns true when
  // the body completed.
  template <typename Body>
  bool Run(Body&& body) noexcept {
    try {
      body();
      return true;
    } catch (const std::exception& error) {
      ReportQuietly(error.what());
    } catch (...) {
      ReportQuietly("Unknown error");
    }
    return false;
  }

 private:
  void ReportQuietly(const char* message) noexcept {
    try {
      Report(message);
    } catch (...) {
      // A report that fails itself is discarded: there is nowhere left to tell it.
    }
  }
};

}  // namespace velmora
