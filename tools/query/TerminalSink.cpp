#include "query/TerminalSink.h"

namespace vantorel {
namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendEscape(std::string& out, const char* prefix, unsigned char byte) {
  out += prefix;
  out.push_back(kHex[byte >> 4]);
  out.push_back(kHex[byte & 15]);
}

}  // namespace

void VisibleControlsSink::Write(std::string_view bytes) {
  if (bytes.empty()) return;
  std::string joined;
  if (!held_.empty()) {
    joined = held_ + std::string(bytes);
    held_.clear();
    bytes = joined;
  }
  std::string out;
  out.reserve(bytes.size() + 16);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const bool last = i + 1 == bytes.size();
    if (byte == '\r' || byte == 0xC2) {
      if (last) {
        held_.push_back(static_cast<char>(byte));
        break;
      }
      const auto next = static_cast<unsigned char>(bytes[i + 1]);
      if (byte == '\r' && next != '\n') {
        AppendEscape(out, "\\x", byte);
      } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
        AppendEscape(out, "\\u00", next);
        ++i;
      } else {
        out.push_back(static_cast<char>(byte));
      }
    } else if ((byte < 0x20 && byte != '\t' && byte != '\n') || byte == 0x7F) {
      AppendEscape(out, "\\x", byte);
    } else {
      out.push_back(static_cast<char>(byte));
    }
  }
  if (!out.empty()) out_.Write(out);
}

void VisibleControlsSink::Finish() {
  if (held_.empty()) return;
  std::string out;
  if (held_ == "\r") {
    AppendEscape(out, "\\x", '\r');
  } else {
    out = held_;
  }
  held_.clear();
  out_.Write(out);
}

}  // namespace vantorel
