#pragma once
// Text bound for a terminal, with its control characters made visible: a journal's field
// cannot retitle the terminal, move its cursor or change its colours.
#include <string>
#include <string_view>

#include "query/Query.h"

namespace vantorel {

// Hands UTF-8 text on to `out` with each control character written as a visible escape:
// bytes 0x00-0x1F as \x1b and the like, 0x7F as \x7f, the C1 characters U+0080-U+009F as
// \u009b and the like. Tab and line feed stay, and so does a carriage return directly before a
// line feed (a CSV row's end). Other bytes, invalid UTF-8 included, go on unchanged.
class VisibleControlsSink final : public TextSink {
 public:
  explicit VisibleControlsSink(TextSink& out) : out_(out) {}

  void Write(std::string_view bytes) override;
  // Hands on a byte held back at the end of the last write, waiting for the one after it.
  void Finish();

 private:
  TextSink& out_;
  // A carriage return or the lead byte 0xC2 that ended the last write.
  std::string held_;
};

}  // namespace vantorel
