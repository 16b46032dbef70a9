#pragma once
// The one error type of the core: its message is what the error report shows, in
// Windows-1251 bytes like the journals it may quote.
#include <stdexcept>
#include <string>

namespace vantorel {

class AppError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised by a load that the window ends early (the window closing); never reported.
class LoadAborted : public std::exception {
 public:
  const char* what() const noexcept override { return "load aborted"; }
};

// The message as the error report shows it: a full stop is appended when the last byte's
// code is higher than the full stop's.
std::string ReportText(std::string message);

}  // namespace vantorel
