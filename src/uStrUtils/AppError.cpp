#include "uStrUtils/AppError.h"

namespace vantorel {

std::string ReportText(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message.push_back('.');
  return message;
}

}  // namespace vantorel
