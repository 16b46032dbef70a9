#include "document/TextRule.h"

#include <algorithm>
#include <thread>

#include "datetime/DateTimeText.h"
#include "document/JournalDocument.h"
#include "uStrUtils/CaseFold1251.h"
#include "uStrUtils/StrUtils.h"

namespace vantorel {
namespace {

constexpr size_t kSecondsOfDay = 86400;
// Records looked at between two looks at the cancel flag; a part of this many records is also
// what each text's search goes through while the part's bytes are in the cache.
constexpr size_t kChunk = 4096;

bool Bit(const std::vector<uint64_t>& bits, size_t i) { return (bits[i / 64] >> (i % 64) & 1) != 0; }
void SetBit(uint64_t* bits, size_t i) { bits[i / 64] |= uint64_t{1} << (i % 64); }

// Every byte of a plain `filter`'s text (folded unless case counts) is one of `alphabet`'s.
bool FitsAlphabet(const TextFilter& filter, std::string alphabet) {
  if (filter.regex) return true;
  if (!filter.matchCase) {
    for (char& c : alphabet) c = static_cast<char>(FoldCase1251(static_cast<unsigned char>(c)));
  }
  for (const char c : filter.text) {
    const char b = filter.matchCase ? c : static_cast<char>(FoldCase1251(static_cast<unsigned char>(c)));
    if (alphabet.find(b) == std::string::npos) return false;
  }
  return true;
}

// What a date text of `settings` is written with.
std::string DateAlphabet(const RegionalSettings& settings) {
  std::string alphabet = "0123456789";
  alphabet += settings.dateSeparator;
  for (const char c : settings.shortDateFormat) {
    const char lower = static_cast<char>(FoldCase1251(static_cast<unsigned char>(c)));
    if (lower != 'd' && lower != 'm' && lower != 'y') alphabet += c;
  }
  return alphabet;
}

// What a time text of `settings` is written with.
std::string TimeAlphabet(const RegionalSettings& settings) {
  return std::string("0123456789 ") + settings.timeSeparator + settings.timeAMString + settings.timePMString;
}

}  // namespace

TextRule::TextRule(const JournalDocument& document, const std::vector<TextFilter>& filters) : document_(document) {
  const RegionalSettings& settings = document.Settings();
  // The journal's own bytes tell which bytes of a text are rare.
  const Journal& journal = document.Data();
  const ByteSearch::Counts counts =
      ByteSearch::CountsOf(journal.Merged() ? (journal.journalBytes.empty() ? std::string_view() : journal.journalBytes[0].View())
                                            : journal.bytes.View());
  std::string scratch;
  for (const TextFilter& filter : filters) {
    Text text{TextMatcher(filter, &counts), std::vector<uint64_t>(kSecondsOfDay / 64 + 1, 0), false, false, false, false, {}};
    if (!text.matcher.Never() && FitsAlphabet(filter, TimeAlphabet(settings))) {
      for (size_t second = 0; second < kSecondsOfDay; ++second) {
        scratch.clear();
        AppendTimeText(scratch, static_cast<double>(second) / static_cast<double>(kSecondsOfDay), settings);
        if (!text.matcher.Holds(scratch)) continue;
        SetBit(text.seconds.data(), second);
        text.anySecond = true;
      }
    }
    if (!text.matcher.Never()) {
      text.anyDay = FitsAlphabet(filter, DateAlphabet(settings));
      text.tabbed = !filter.regex && filter.text.find('\t') != std::string::npos;
      text.acrossBlank = filter.regex || (filter.text.find(' ') != std::string::npos &&
                                          FitsAlphabet(filter, DateAlphabet(settings) + TimeAlphabet(settings)));
      for (const std::string& name : document.Data().journalNames) text.journals.push_back(text.matcher.Holds(name) ? 1 : 0);
    }
    texts_.push_back(std::move(text));
  }
}

bool TextRule::TimeHolds(const Text& text, size_t record, std::string& scratch) const {
  const TDateTime time = document_.Time(record);
  const size_t second = static_cast<size_t>(TimeOfDayMs(time) / 1000);
  if (document_.Kind().timeColumn == TimeColumn::TimeOfDay) return text.anySecond && Bit(text.seconds, second);
  // The date, and the time after a blank unless it is midnight to the second.
  if (!text.anyDay && !text.acrossBlank) return second != 0 && Bit(text.seconds, second);
  scratch.clear();
  AppendDateTimeText(scratch, time, document_.Settings());
  return text.matcher.Holds(scratch);
}

bool TextRule::FieldHolds(std::string_view line, size_t at, size_t length) const {
  const KindDescription& kind = document_.Kind();
  const size_t n = line.size();
  size_t begin = 0;
  for (int field = 0; field < kind.columns; ++field) {
    // As CutFieldOf cuts: up to the next tab, the last column to the line's end.
    const size_t end = field == kind.columns - 1 ? n : begin + FindByte(line.data() + begin, n - begin, '\t');
    if (at < end) {
      if (at < begin || field == kind.dateTimeField) return false;
      const size_t shown = kind.capped ? std::min(end, begin + kFieldCap) : end;
      return at + length <= shown;
    }
    begin = end;
    while (begin < n && line[begin] == '\t') ++begin;
  }
  return false;
}

bool TextRule::PlainFieldHolds(std::string_view line, size_t at, size_t length) const {
  const KindDescription& kind = document_.Kind();
  if (kind.capped && line.size() > kFieldCap) return FieldHolds(line, at, length);
  // No field is cut, and a text without a tab stands in one field: any but the date-time
  // field's own text.
  const size_t n = line.size();
  size_t begin = 0;
  for (int field = 0; field < kind.dateTimeField; ++field) {
    begin += FindByte(line.data() + begin, n - begin, '\t');
    while (begin < n && line[begin] == '\t') ++begin;
  }
  if (at < begin) return true;
  return at >= begin + FindByte(line.data() + begin, n - begin, '\t');
}

bool TextRule::LineHolds(const Text& text, std::string_view line) const {
  const ByteSearch& search = text.matcher.Search();
  for (size_t at = search.Find(line); at != ByteSearch::npos; at = search.Find(line, at + 1)) {
    if (text.tabbed ? FieldHolds(line, at, search.size()) : PlainFieldHolds(line, at, search.size())) return true;
  }
  return false;
}

bool TextRule::Holds(size_t t, size_t record, std::string& scratch) const {
  const Text& text = texts_[t];
  if (text.matcher.Never()) return false;
  const Journal& journal = document_.Data();
  if (journal.Merged() && text.journals[journal.journalOf[record]] != 0) return true;
  if (TimeHolds(text, record, scratch)) return true;
  const std::string_view line = document_.Line(record);
  if (!text.matcher.IsRegex()) return LineHolds(text, line);
  const KindDescription& kind = document_.Kind();
  std::string_view rest = line;
  for (int field = 0; field < kind.columns; ++field) {
    const std::string_view cell = CutFieldOf(kind, rest, field);
    if (field != kind.dateTimeField && text.matcher.Holds(cell)) return true;
  }
  return false;
}

bool TextRule::Passes(size_t record, std::string& scratch) const {
  // The texts to show first: a record that lacks one is done with.
  for (int hides = 0; hides < 2; ++hides) {
    for (size_t t = 0; t < texts_.size(); ++t) {
      if (texts_[t].matcher.Hides() != (hides == 1)) continue;
      if (Holds(t, record, scratch) == (hides == 1)) return false;
    }
  }
  return true;
}

void TextRule::MarkPlain(const Text& text, size_t first, size_t end, uint64_t* bits, size_t bitBase) const {
  if (text.matcher.Never() || first >= end) return;
  const Journal& journal = document_.Data();
  std::string scratch;
  const bool dates = document_.Kind().timeColumn == TimeColumn::DateAndTime && (text.anyDay || text.acrossBlank);
  if (text.anySecond || dates) {
    for (size_t record = first; record < end; ++record) {
      if (TimeHolds(text, record, scratch)) SetBit(bits, record - bitBase);
    }
  }
  // One journal's records stand in its bytes in their order: the text is looked for through
  // the bytes of the records at once, and each place found is given to its record.
  const ByteSearch& search = text.matcher.Search();
  const char* base = journal.bytes.data();
  const std::string_view firstLine = document_.Line(first);
  const std::string_view lastLine = document_.Line(end - 1);
  const std::string_view bytes(base, static_cast<size_t>(lastLine.data() + lastLine.size() - base));
  size_t record = first;
  std::string_view line = firstLine;
  for (size_t at = search.Find(bytes, static_cast<size_t>(firstLine.data() - base)); at != ByteSearch::npos;) {
    const char* place = base + at;
    if (place >= line.data() + line.size()) {
      // The record whose line ends after the place: the first of those after `record`, most
      // often one of the next few.
      size_t low = record + 1, high = end;
      for (size_t step = 0; step < 4 && low < end; ++step, ++low) {
        const std::string_view next = document_.Line(low);
        if (next.data() + next.size() > place) {
          high = low;
          break;
        }
      }
      while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const std::string_view m = document_.Line(middle);
        if (m.data() + m.size() <= place) {
          low = middle + 1;
        } else {
          high = middle;
        }
      }
      if (low == end) return;
      record = low;
      line = document_.Line(record);
    }
    const auto offset = static_cast<size_t>(place - line.data());
    if (place >= line.data() && offset + search.size() <= line.size() &&
        (text.tabbed ? FieldHolds(line, offset, search.size()) : PlainFieldHolds(line, offset, search.size()))) {
      SetBit(bits, record - bitBase);
      // The rest of the line need not be looked at.
      at = search.Find(bytes, static_cast<size_t>(line.data() + line.size() - base));
      continue;
    }
    at = search.Find(bytes, at + 1);
  }
}

void TextRule::MarkPart(size_t first, size_t end, std::vector<uint64_t>& bits, const std::atomic<bool>* cancel) const {
  const Journal& journal = document_.Data();
  bool anyPlain = false;
  for (const Text& text : texts_) anyPlain = anyPlain || !text.matcher.IsRegex();
  std::string scratch;
  if (journal.Merged() || !anyPlain) {
    for (size_t record = first; record < end; ++record) {
      if (record % kChunk == 0 && cancel != nullptr && cancel->load(std::memory_order_relaxed)) return;
      if (Passes(record, scratch)) SetBit(bits.data(), record);
    }
    return;
  }
  // Each plain text through a chunk's bytes while they are in the cache, then the chunk's
  // records by their bits; regular expressions only for the records still passing.
  std::vector<std::vector<uint64_t>> held(texts_.size());
  for (size_t chunk = first; chunk < end; chunk += kChunk - chunk % kChunk) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return;
    const size_t chunkEnd = std::min(end, chunk + kChunk - chunk % kChunk);
    const size_t base = chunk / 64 * 64;
    const size_t words = (chunkEnd - base + 63) / 64;
    for (size_t t = 0; t < texts_.size(); ++t) {
      if (texts_[t].matcher.IsRegex()) continue;
      held[t].assign(words, 0);
      MarkPlain(texts_[t], chunk, chunkEnd, held[t].data(), base);
    }
    for (size_t w = 0; w < words; ++w) {
      uint64_t pass = ~uint64_t{0};
      const size_t from = base + w * 64;
      if (from < chunk) pass &= ~uint64_t{0} << (chunk - from);
      if (chunkEnd - from < 64) pass &= (uint64_t{1} << (chunkEnd - from)) - 1;
      for (size_t t = 0; t < texts_.size() && pass != 0; ++t) {
        if (texts_[t].matcher.IsRegex()) continue;
        pass &= texts_[t].matcher.Hides() ? ~held[t][w] : held[t][w];
      }
      for (uint64_t left = pass; left != 0; left &= left - 1) {
        const size_t record = from + static_cast<size_t>(__builtin_ctzll(left));
        for (size_t t = 0; t < texts_.size(); ++t) {
          if (!texts_[t].matcher.IsRegex()) continue;
          if (Holds(t, record, scratch) == texts_[t].matcher.Hides()) {
            pass &= ~(uint64_t{1} << (record - from));
            break;
          }
        }
      }
      bits[from / 64] |= pass;
    }
  }
}

bool TextRule::Mark(size_t first, size_t end, std::vector<uint64_t>& bits, const std::atomic<bool>* cancel, int threads) const {
  if (first >= end) return true;
  if (texts_.empty()) {
    for (size_t record = first; record < end; ++record) SetBit(bits.data(), record);
    return true;
  }
  // Parts on whole words of bits, so no two threads write one word.
  const size_t records = end - first;
  const size_t parts = std::max<size_t>(1, std::min<size_t>(static_cast<size_t>(std::max(threads, 1)), records / (8 * kChunk)));
  if (parts == 1) {
    MarkPart(first, end, bits, cancel);
  } else {
    std::vector<std::thread> workers;
    size_t from = first;
    for (size_t p = 0; p < parts; ++p) {
      size_t to = p + 1 == parts ? end : (first + records * (p + 1) / parts) / 64 * 64;
      to = std::max(to, from);
      workers.emplace_back([this, from, to, &bits, cancel] { MarkPart(from, to, bits, cancel); });
      from = to;
    }
    for (std::thread& worker : workers) worker.join();
  }
  return cancel == nullptr || !cancel->load();
}

}  // namespace vantorel
