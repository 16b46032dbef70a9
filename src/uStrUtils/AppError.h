#pragma once
// The one error type of the core: its message is what the error report shows, in
// Windows-1251 bytes like the journals it may quote.
#include <stdexcept>
#include <string>

namespace vantorel {

class AppError : public std::runtime_error {
 public:
  explicit AppError(const std::string& message) : std::runtime_error(message), message_(message) {}
  // The whole message; what() stops at a NUL byte that a quoted journal field may hold.
  const std::string& Message() const { return message_; }

 private:
  std::string message_;
};

// The message of any error as the error report takes it.
inline std::string MessageOf(const std::exception& error) {
  const auto* app = dynamic_cast<const AppError*>(&error);
  return app != nullptr ? app->Message() : std::string(error.what());
}

// The message as the error report shows it: a full stop is appended when the last byte's
// code is higher than the full stop's.
std::string ReportText(std::string message);

}  // namespace vantorel
