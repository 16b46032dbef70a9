#include "query/QueryText.h"

#include <charconv>
#include <cstdio>

#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

void AppendNumber(std::string& out, size_t value) {
  char digits[24];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, end);
}

}  // namespace

void AppendCountLine(size_t shown, size_t total, std::string& out) {
  out += "Показано строк: ";
  AppendNumber(out, shown);
  out += " из ";
  AppendNumber(out, total);
  out.push_back('\n');
}

void AppendListsText(const KindDescription& kind, const std::array<DistinctList, kMaxLists>& lists, std::string& out) {
  for (int l = 0; l < kind.listCount; ++l) {
    out += kind.lists[l].name;
    for (std::string_view item : lists[static_cast<size_t>(l)].Items()) {
      out.push_back('\t');
      AppendCp1251AsUtf8(out, item);
    }
    out.push_back('\n');
  }
}

void AppendHistogramText(const std::array<size_t, kTimelineBins>& bins, std::string& out) {
  char start[8];
  for (int bin = 0; bin < kTimelineBins; ++bin) {
    const int minute = bin * 15;
    std::snprintf(start, sizeof start, "%02d:%02d", minute / 60, minute % 60);
    out += start;
    out.push_back('\t');
    AppendNumber(out, bins[static_cast<size_t>(bin)]);
    out.push_back('\n');
  }
}

}  // namespace vantorel
