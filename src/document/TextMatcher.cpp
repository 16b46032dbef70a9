#include "document/TextMatcher.h"

#include <re2/re2.h>

#include "document/RegexCase.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {

TextMatcher::TextMatcher(const TextFilter& filter, const ByteSearch::Counts* counts) : filter_(filter) {
  if (filter_.unwritable) return;
  if (!filter_.regex) {
    search_ = ByteSearch(filter_.text, filter_.matchCase, counts);
    return;
  }
  RE2::Options options;
  // Every byte is one character: the journals' Windows-1251 is matched as it stands.
  options.set_encoding(RE2::Options::EncodingLatin1);
  options.set_log_errors(false);
  const std::string pattern = filter_.matchCase ? filter_.text : CaseBlindPattern(filter_.text);
  auto regex = std::make_shared<RE2>(pattern, options);
  if (!regex->ok()) {
    // RE2 names what it found wrong, then the part of the pattern it was in: the pattern
    // written here, not the one typed.
    std::string what = regex->error();
    const std::string where = ": " + regex->error_arg();
    if (what.size() > where.size() && what.compare(what.size() - where.size(), where.size(), where) == 0) {
      what.resize(what.size() - where.size());
    }
    throw AppError(Utf8ToCp1251("Ошибка в регулярном выражении \"") + filter_.text + "\": " + what);
  }
  regex_ = std::move(regex);
}

bool TextMatcher::Holds(std::string_view cell) const {
  if (filter_.unwritable) return false;
  if (regex_ != nullptr) return RE2::PartialMatch(re2::StringPiece(cell.data(), cell.size()), *regex_);
  return search_.In(cell);
}

void TextMatcher::Spans(std::string_view cell, std::vector<TextSpan>& out) const {
  if (filter_.unwritable) return;
  if (regex_ == nullptr) {
    for (size_t at = search_.Find(cell); at != ByteSearch::npos; at = search_.Find(cell, at + search_.size())) {
      out.push_back({at, at + search_.size()});
    }
    return;
  }
  const re2::StringPiece text(cell.data(), cell.size());
  re2::StringPiece match;
  for (size_t at = 0; at <= cell.size();) {
    if (!regex_->Match(text, at, cell.size(), RE2::UNANCHORED, &match, 1)) return;
    const auto begin = static_cast<size_t>(match.data() - cell.data());
    const size_t end = begin + match.size();
    // An empty match marks nothing and moves on by a byte.
    if (end > begin) out.push_back({begin, end});
    at = end > begin ? end : begin + 1;
  }
}

}  // namespace vantorel
