// Several journals merged into one, fed arbitrary bytes: the input's first byte chooses the
// kind, the rest is cut into journals at each 0x1E byte. The set's way (every journal parsed
// into one set of arrays in the order of its first record, kept in place when they follow
// each other) and the plain merge of journals parsed one by one must give one journal, and
// that journal must hold every record once, in the order of the model: by moment, then by
// the journal's rank (its earliest moment, then its name), then by line.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "journals/JournalMerge.h"
#include "journals/JournalSetLoad.h"

using namespace vantorel;

namespace {

constexpr JournalKind kKinds[] = {JournalKind::Alarms, JournalKind::Action, JournalKind::Param};
constexpr size_t kMostJournals = 6;

LoadOptions Options() {
  LoadOptions options;
  options.rules = fuzz::JournalRules();
  options.threads = 1;
  return options;
}

// The journals the set's load makes of `texts`; false when one of them fails.
bool MergeAsASet(const std::vector<std::string_view>& texts, const std::vector<std::string>& names, JournalKind kind,
                 Journal& out) {
  std::vector<JournalBytes> read;
  for (std::string_view text : texts) read.push_back(JournalBytesOf(text));
  std::vector<size_t> order;
  try {
    out = MergeReadJournals(std::move(read), names, kind, Options(), order);
  } catch (const AppError&) {
    return false;
  }
  for (size_t i = 0; i < order.size(); ++i) FUZZ_CHECK(out.journalNames[i] == names[order[i]]);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const JournalKind kind = kKinds[data[0] % 3];
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<std::string_view> texts;
  for (size_t from = 0;;) {
    const size_t cut = rest.find('\x1E', from);
    texts.push_back(rest.substr(from, cut == std::string_view::npos ? std::string_view::npos : cut - from));
    if (cut == std::string_view::npos || texts.size() == kMostJournals) break;
    from = cut + 1;
  }
  // Names that sort against the order given in every way the input's bytes choose.
  std::vector<std::string> names;
  for (size_t j = 0; j < texts.size(); ++j) names.push_back(std::string(1, static_cast<char>('a' + (data[0] / 3 + j * 5) % 7)) + std::to_string(j));

  std::vector<NamedJournal> separate;
  for (size_t j = 0; j < texts.size(); ++j) {
    try {
      separate.push_back({names[j], ParseJournal(JournalBytesOf(texts[j]), kind, Options(), names[j])});
    } catch (const AppError&) {
      Journal unused;
      FUZZ_CHECK(!MergeAsASet(texts, names, kind, unused));
      return 0;
    }
  }
  // What the model needs of each journal before they are merged away.
  std::vector<std::vector<TDateTime>> times(texts.size());
  std::vector<std::vector<std::string>> lines(texts.size());
  std::vector<TDateTime> earliest(texts.size(), 1e300);
  for (size_t j = 0; j < texts.size(); ++j) {
    const Journal& journal = separate[j].journal;
    for (size_t i = 0; i < journal.size(); ++i) {
      times[j].push_back(journal.records.times[i]);
      lines[j].emplace_back(journal.Line(i));
      earliest[j] = std::min(earliest[j], journal.records.times[i]);
    }
  }
  const Journal merged = MergeJournals(std::move(separate));
  Journal set;
  FUZZ_CHECK(MergeAsASet(texts, names, kind, set));

  // The model: every record of every journal, sorted by moment, rank and line.
  std::vector<size_t> rank(texts.size());
  std::iota(rank.begin(), rank.end(), size_t{0});
  std::sort(rank.begin(), rank.end(), [&](size_t a, size_t b) { return earliest[a] != earliest[b] ? earliest[a] < earliest[b] : names[a] < names[b]; });
  std::vector<size_t> rankOf(texts.size());
  for (size_t r = 0; r < rank.size(); ++r) rankOf[rank[r]] = r;
  struct Entry {
    TDateTime time;
    size_t rank;
    size_t line;
    size_t journal;
  };
  std::vector<Entry> model;
  for (size_t j = 0; j < texts.size(); ++j) {
    for (size_t i = 0; i < times[j].size(); ++i) model.push_back({times[j][i], rankOf[j], i, j});
  }
  std::sort(model.begin(), model.end(), [](const Entry& a, const Entry& b) {
    if (a.time != b.time) return a.time < b.time;
    return a.rank != b.rank ? a.rank < b.rank : a.line < b.line;
  });

  for (const Journal* journal : std::array<const Journal*, 2>{&merged, &set}) {
    FUZZ_CHECK(journal->size() == model.size());
    FUZZ_CHECK(journal->journalNames.size() == texts.size());
    for (size_t r = 0; r < rank.size(); ++r) FUZZ_CHECK(journal->journalNames[r] == names[rank[r]]);
    for (size_t i = 0; i < model.size(); ++i) {
      const Entry& e = model[i];
      FUZZ_CHECK(std::memcmp(&journal->records.times[i], &e.time, sizeof(TDateTime)) == 0);
      FUZZ_CHECK(journal->journalNames[journal->journalOf[i]] == names[e.journal]);
      FUZZ_CHECK(journal->Line(i) == lines[e.journal][e.line]);
    }
    fuzz::CheckLists(*journal);
  }
  FUZZ_CHECK(merged.titles == set.titles);
  FUZZ_CHECK(std::memcmp(&merged.days.earliest, &set.days.earliest, sizeof(TDateTime)) == 0);
  FUZZ_CHECK(std::memcmp(&merged.days.latest, &set.days.latest, sizeof(TDateTime)) == 0);
  for (int l = 0; l < merged.kind->listCount; ++l) FUZZ_CHECK(merged.List(l) == set.List(l));
  return 0;
}
