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

TextRule::TextRule(const JournalDocument& document, const std::vector<TextFilter>& filters)
    : kind_(&document.Kind()), settings_(document.Settings()), document_(&document) {
  // The journal's own bytes tell which bytes of a text are rare.
  const Journal& journal = document.Data();
  const ByteSearch::Counts counts =
      ByteSearch::CountsOf(journal.Merged() ? (journal.journalBytes.empty() ? std::string_view() : journal.journalBytes[0].View())
                                            : journal.bytes.View());
  Prepare(filters, journal.journalNames, &counts);
}

TextRule::TextRule(const KindDescription& kind, const RegionalSettings& settings, const std::vector<TextFilter>& filters,
                   const ByteSearch::Counts* counts)
    : kind_(&kind), settings_(settings) {
  Prepare(filters, {}, counts);
}

void TextRule::Prepare(const std::vector<TextFilter>& filters, const std::vector<std::string>& journalNames,
                       const ByteSearch::Counts* counts) {
  std::string scratch;
  for (const TextFilter& filter : filters) {
    Text text{TextMatcher(filter, counts), std::vector<uint64_t>(kSecondsOfDay / 64 + 1, 0), false, false, false, false, {}};
    if (!text.matcher.Never() && FitsAlphabet(filter, TimeAlphabet(settings_))) {
      for (size_t second = 0; second < kSecondsOfDay; ++second) {
        scratch.clear();
        AppendTimeText(scratch, static_cast<double>(second) / static_cast<double>(kSecondsOfDay), settings_);
        if (!text.matcher.Holds(scratch)) continue;
        SetBit(text.seconds.data(), second);
        text.anySecond = true;
      }
    }
    if (!text.matcher.Never()) {
      text.anyDay = FitsAlphabet(filter, DateAlphabet(settings_));
      text.tabbed = !filter.regex && filter.text.find('\t') != std::string::npos;
      text.acrossBlank = filter.regex || (filter.text.find(' ') != std::string::npos &&
                                          FitsAlphabet(filter, DateAlphabet(settings_) + TimeAlphabet(settings_)));
      for (const std::string& name : journalNames) text.journals.push_back(text.matcher.Holds(name) ? 1 : 0);
    }
    texts_.push_back(std::move(text));
  }
  // A text to show that only a line's own fields can hold; the longest, which is the rarest
  // most often.
  for (const Text& text : texts_) {
    const bool anyName = std::find(text.journals.begin(), text.journals.end(), 1) != text.journals.end();
    if (text.matcher.Hides() || text.matcher.IsRegex() || text.matcher.Never() || text.anySecond || text.anyDay ||
        text.acrossBlank || anyName) {
      continue;
    }
    if (lineNeeds_ == nullptr || text.matcher.Search().size() > lineNeeds_->size()) lineNeeds_ = &text.matcher.Search();
  }
}

bool TextRule::TimeHolds(const Text& text, TDateTime time, std::string& scratch) const {
  const size_t second = static_cast<size_t>(TimeOfDayMs(time) / 1000);
  if (kind_->timeColumn == TimeColumn::TimeOfDay) return text.anySecond && Bit(text.seconds, second);
  // The date, and the time after a blank unless it is midnight to the second.
  if (!text.anyDay && !text.acrossBlank) return second != 0 && Bit(text.seconds, second);
  scratch.clear();
  AppendDateTimeText(scratch, time, settings_);
  return text.matcher.Holds(scratch);
}

bool TextRule::FieldHolds(std::string_view line, size_t at, size_t length) const {
  const KindDescription& kind = *kind_;
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
  const KindDescription& kind = *kind_;
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
  const Journal& journal = document_->Data();
  return HoldsLine(t, document_->Line(record), document_->Time(record), journal.Merged() ? journal.journalOf[record] : -1,
                   scratch);
}

bool TextRule::HoldsLine(size_t t, std::string_view line, TDateTime time, int journal, std::string& scratch) const {
  const Text& text = texts_[t];
  if (text.matcher.Never()) return false;
  if (journal >= 0 && text.journals[static_cast<size_t>(journal)] != 0) return true;
  if (TimeHolds(text, time, scratch)) return true;
  if (!text.matcher.IsRegex()) return LineHolds(text, line);
  std::string_view rest = line;
  for (int field = 0; field < kind_->columns; ++field) {
    const std::string_view cell = CutFieldOf(*kind_, rest, field);
    if (field != kind_->dateTimeField && text.matcher.Holds(cell)) return true;
  }
  return false;
}

bool TextRule::Passes(size_t record, std::string& scratch) const {
  const Journal& journal = document_->Data();
  return PassesLine(document_->Line(record), document_->Time(record), journal.Merged() ? journal.journalOf[record] : -1,
                    scratch);
}

bool TextRule::PassesLine(std::string_view line, TDateTime time, int journal, std::string& scratch) const {
  // The texts to show first: a record that lacks one is done with.
  for (int hides = 0; hides < 2; ++hides) {
    for (size_t t = 0; t < texts_.size(); ++t) {
      if (texts_[t].matcher.Hides() != (hides == 1)) continue;
      if (HoldsLine(t, line, time, journal, scratch) == (hides == 1)) return false;
    }
  }
  return true;
}

void TextRule::MarkPlain(const Text& text, size_t first, size_t end, uint64_t* bits, size_t bitBase) const {
  if (text.matcher.Never() || first >= end) return;
  const Journal& journal = document_->Data();
  std::string scratch;
  const bool dates = kind_->timeColumn == TimeColumn::DateAndTime && (text.anyDay || text.acrossBlank);
  if (text.anySecond || dates) {
    for (size_t record = first; record < end; ++record) {
      if (TimeHolds(text, document_->Time(record), scratch)) SetBit(bits, record - bitBase);
    }
  }
  // One journal's records stand in its bytes in their order: the text is looked for through
  // the bytes of the records at once, and each place found is given to its record.
  const ByteSearch& search = text.matcher.Search();
  const char* base = journal.bytes.data();
  const std::string_view firstLine = document_->Line(first);
  const std::string_view lastLine = document_->Line(end - 1);
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
        const std::string_view next = document_->Line(low);
        if (next.data() + next.size() > place) {
          high = low;
          break;
        }
      }
      while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const std::string_view m = document_->Line(middle);
        if (m.data() + m.size() <= place) {
          low = middle + 1;
        } else {
          high = middle;
        }
      }
      if (low == end) return;
      record = low;
      line = document_->Line(record);
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
  const Journal& journal = document_->Data();
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
