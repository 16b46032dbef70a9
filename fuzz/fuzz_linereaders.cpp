// Both line readers, the line counter and the title split over arbitrary bytes, each against
// a plain restatement of its line rules built from string operations.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "journals/HeaderRow.h"
#include "journals/LineReaders.h"

using namespace vantorel;

namespace {

// Whole-file lines: text up to the first NUL; CR LF, LF and a lone CR each end a line; a
// line end at the very end adds no empty line.
std::vector<std::string> ExpectedWholeFileLines(std::string_view bytes) {
  std::string text(bytes.substr(0, bytes.find('\0')));
  std::string unified;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      unified += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      unified += text[i];
    }
  }
  std::vector<std::string> lines;
  if (unified.empty()) return lines;
  if (unified.back() == '\n') unified.pop_back();
  size_t start = 0;
  for (;;) {
    const size_t end = unified.find('\n', start);
    lines.push_back(unified.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

// Text lines: text up to the first Ctrl-Z; LF ends a line; every CR is dropped; a final LF
// adds no empty line.
std::vector<std::string> ExpectedTextLines(std::string_view bytes) {
  std::string_view text = bytes.substr(0, bytes.find('\x1A'));
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    const std::string_view raw = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    std::string line;
    for (char c : raw) {
      if (c != '\r') line += c;
    }
    lines.push_back(std::move(line));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::vector<std::string> wholeExpected = ExpectedWholeFileLines(bytes);
  WholeFileLines whole(bytes);
  std::string_view line;
  size_t count = 0;
  while (whole.Next(line)) {
    FUZZ_CHECK(count < wholeExpected.size());
    FUZZ_CHECK(line == wholeExpected[count]);
    // Lines are views into the caller's bytes.
    FUZZ_CHECK(line.empty() || (line.data() >= bytes.data() && line.data() + line.size() <= bytes.data() + size));
    ++count;
  }
  FUZZ_CHECK(count == wholeExpected.size());
  FUZZ_CHECK(!whole.Next(line));
  FUZZ_CHECK(WholeFileLines::Count(bytes) == count);
  FUZZ_CHECK(whole.AtNul() == (bytes.find('\0') != std::string_view::npos));

  // The same reader over the first bytes only, as a journal read piece by piece is: a line
  // that is not cut is whole, a cut one the start of its line and the last one read.
  for (size_t end : {size / 2, size / 3 + 1, size > 0 ? size - 1 : 0}) {
    if (end > size) continue;
    WholeFileLines prefix(bytes.data(), bytes.data() + end);
    size_t at = 0;
    bool cut = false;
    while (prefix.Next(line)) {
      FUZZ_CHECK(!cut);
      FUZZ_CHECK(at < wholeExpected.size());
      if (prefix.Cut()) {
        cut = true;
        FUZZ_CHECK(std::string_view(wholeExpected[at]).substr(0, line.size()) == line);
      } else {
        FUZZ_CHECK(line == wholeExpected[at]);
      }
      ++at;
    }
  }

  // The text reader works in place on a copy, as the action loader does on its buffer.
  const std::vector<std::string> textExpected = ExpectedTextLines(bytes);
  std::unique_ptr<char[]> copy(new char[size + 1]);
  if (size != 0) std::memcpy(copy.get(), data, size);
  TextLines text(copy.get(), size);
  size_t textCount = 0;
  while (text.Next(line)) {
    FUZZ_CHECK(textCount < textExpected.size());
    FUZZ_CHECK(line == textExpected[textCount]);
    FUZZ_CHECK(line.empty() || (line.data() >= copy.get() && line.data() + line.size() <= copy.get() + size));
    ++textCount;
  }
  FUZZ_CHECK(textCount == textExpected.size());

  // Both rules' line counts, counted in pieces cut at places the input's size chooses; a
  // piece may be empty.
  for (size_t step : {size_t{1}, size_t{2} + size % 5, size_t{7} + size % 11, size_t{17} + size % 23}) {
    LineCounter counter;
    size_t from = 0;
    for (size_t k = 0; from < size; ++k) {
      const size_t to = std::min(size, from + (k % 3 == 2 ? 0 : step + k % 4));
      counter.Feed(bytes.data(), from, to);
      from = to;
    }
    counter.Finish(size);
    FUZZ_CHECK(counter.WholeLines() == wholeExpected.size());
    FUZZ_CHECK(counter.WholeTextEnd() == std::min(bytes.find('\0'), size));
    FUZZ_CHECK(counter.TextLineCount() == textExpected.size());
    FUZZ_CHECK(counter.TextEnd() == std::min(bytes.find('\x1A'), size));
  }

  const std::string first = FirstTextLine(bytes);
  FUZZ_CHECK(first == (textExpected.empty() ? std::string() : textExpected.front()));

  // The titles are the first line's tab-separated texts: none holds a tab, together they hold
  // every other byte of the line, and an empty line gives none.
  const std::vector<std::string> titles = HeaderTitles(first);
  std::string joined;
  for (const std::string& title : titles) {
    FUZZ_CHECK(title.find('\t') == std::string::npos);
    joined += title;
  }
  std::string withoutTabs;
  for (char c : first) {
    if (c != '\t') withoutTabs += c;
  }
  FUZZ_CHECK(joined == withoutTabs);
  FUZZ_CHECK(titles.empty() == first.empty());
  FUZZ_CHECK(titles.size() <= static_cast<size_t>(std::count(first.begin(), first.end(), '\t')) + 2);
  return 0;
}
