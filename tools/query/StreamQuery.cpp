#include "query/StreamQuery.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#include "datetime/DateTimeParse.h"
#include "datetime/DateTimeReader.h"
#include "document/JournalDocument.h"
#include "document/RowExport.h"
#include "document/TextRule.h"
#include "document/Timeline.h"
#include "exchange/CellText.h"
#include "exchange/XlsxWorkbook.h"
#include "journals/JournalNames.h"
#include "journals/Extension.h"
#include "journals/FollowReader.h"
#include "journals/JournalFollower.h"
#include "journals/JournalSource.h"
#include "journals/JournalStream.h"
#include "journals/RecordParser.h"
#include "journals/TextEndNotice.h"
#include "query/BufferedOut.h"
#include "query/QueryText.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

// Whether n bytes, 8 or more, are equal: word by word, the last word overlapping.
bool SameWords(const char* a, const char* b, size_t n) {
  auto word = [](const char* p) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
  };
  for (size_t i = 0; i + 8 < n; i += 8) {
    if (word(a + i) != word(b + i)) return false;
  }
  return word(a + n - 8) == word(b + n - 8);
}


// The query over one journal, read as a stream: each record line goes through the same
// parser and the same tests as the document's, and is printed or dropped; nothing of it is
// kept but the filter lists.
template <JournalKind K>
class StreamQuery final : public FollowReader {
 public:
  StreamQuery(const QueryOptions& options, const DateTimeRules& rules, TextSink& out, TextSink& err,
              const std::function<bool()>& followIdle, const FollowClock& clock)
      : o_(options), rules_(rules), out_(out), err_(err), followIdle_(followIdle), clock_(clock),
        source_(std::make_unique<JournalSource>(options.file)), stream_(std::make_unique<JournalStream>(*source_, kKind)),
        dates_(rules) {
    for (int l = 0; l < kKind.listCount; ++l) wanted_[static_cast<size_t>(l)] = ListOption(options, K, l);
    const std::vector<TextFilter> texts = TextFiltersOf(options);
    if (!texts.empty()) texts_.emplace(kKind, rules.regional, texts);
  }

  // The notices of what the answer leaves out, UTF-8 lines.
  std::string Run() {
    source_->Open(ReadErrorStyle::TextFile);
    if (o_.follow) {
      // Followed, the journal is read to its last line end; the follower reads on from there.
      source_->LimitTo(JournalFollower::WholeLinesEnd(*source_, K));
      stream_->WaitForLineEnds();
    }
    titled_ = CatchUp(!titled_);
    if (o_.lists) {
      PrintLists();
      out_.Commit();
    } else if (o_.histogram) {
      PrintHistogram();
      out_.Commit();
    } else if (o_.follow) {
      Follow();
    } else if (workbook_) {
      workbook_->Close();
    } else {
      if (!o_.format) {
        AppendCountLine(shown_, total_, out_.Text());
        out_.Flushed();
      }
      out_.Commit();
    }
    std::string notices;
    if (stream_->NulLine() > 0) notices += Cp1251ToUtf8(NulNotice(stream_->NulLine())) + ".\n";
    if (workbook_ && workbook_->CutCells() > 0) notices += Cp1251ToUtf8(CutCellsNotice(workbook_->CutCells())) + ".\n";
    return notices;
  }

 private:
  static constexpr const KindDescription& kKind = Describe<K>();
  static constexpr TDateTime kPickerStartDate = 41603;
  static constexpr TDateTime kBeforeAnyDay = -1e9;

  bool Rows() const { return !o_.countOnly && !o_.lists && !o_.histogram; }

  // The filters and lists as they stand before any record of a journal is read.
  void Reset() {
    const Literals& words = Cp1251Literals();
    arena_ = TextArena();
    for (int l = 0; l < kKind.listCount; ++l) lists_[static_cast<size_t>(l)].Reset(words.*kKind.lists[l].allValues);
    FilterState state;
    state.startTime = o_.time.start;
    state.endTime = o_.time.end;
    // Without a start day the file's first day applies, which no record lies before.
    state.startDate = o_.fromDate.value_or(kBeforeAnyDay);
    state.endDate = o_.toDate.value_or(0);
    state.showUnimportant = o_.showUnimportant;
    filter_ = MakeRecordFilter(kKind, state, lists_);
    listMask_ = 0;
    for (int l = 0; l < kKind.listCount; ++l) {
      const std::optional<std::string>& wanted = wanted_[static_cast<size_t>(l)];
      // A text that is the list's all-values item lets every value through. Another text's
      // item is known once a record brings it into the list.
      if (!wanted || *wanted == words.*kKind.lists[l].allValues) continue;
      filter_.lists[static_cast<size_t>(l)] = {false, kNoItem};
      listMask_ |= 1u << l;
    }
    if (o_.lists) listMask_ = ~0u;
    total_ = shown_ = 0;
    days_ = DaySpan();
    counted_ = false;
    bins_ = {};
    late_.clear();
    lateCount_ = 0;
  }

  // The journal as it stands, from its start, as a run without --follow shows it; `first`:
  // the run's first journal, whose title row is printed. False while a followed journal's
  // title line has not ended.
  bool CatchUp(bool first) {
    Reset();
    if (!stream_->ReadTitles()) return false;
    // The end day's rule needs the last day of the file: known only after a first reading.
    const bool lastDayFirst = kKind.dateRange && !o_.toDate && !o_.lists;
    if (kKind.emptyFileFails && !stream_->HasLines()) throw AppError("Range check error");
    titles_ = stream_->Titles();
    if (!lastDayFirst && Rows()) PrintTitles(first);
    Pass(!lastDayFirst && !o_.lists);
    if constexpr (kKind.findsDays) {
      if (!days_.any) days_.earliest = days_.latest = kPickerStartDate;
      // The window puts the file's first and last day into its date pickers, which refuse
      // days outside their range.
      if (kKind.dateRange && (!InPickerRange(std::trunc(days_.earliest)) || !InPickerRange(std::trunc(days_.latest)))) {
        throw AppError("Failed to set calendar date or time");
      }
    }
    if (o_.lists) return true;
    bool again = lastDayFirst;
    if (lastDayFirst) {
      filter_.endDate = std::trunc(days_.latest);
      for (int l = 0; l < kKind.listCount; ++l) {
        if (listMask_ & (1u << l)) filter_.lists[static_cast<size_t>(l)] = ValueFilter::Select(Wanted(l), List(l));
      }
      if (Rows()) PrintTitles(first);
    } else {
      // A wanted value no record holds selects no item: then only the records whose field is
      // empty pass, which a second reading finds.
      for (int l = 0; l < kKind.listCount; ++l) {
        ValueFilter& f = filter_.lists[static_cast<size_t>(l)];
        if (f.passAll || f.item != kNoItem) continue;
        if (Wanted(l) >= 0) {
          f.item = static_cast<uint32_t>(Wanted(l));
          continue;
        }
        f = ValueFilter::Select(-1, List(l));
        again = again || f.item != kNoItem;
      }
      if (again) {
        for (const ValueFilter& f : filter_.lists) again = again && (f.passAll || f.item != kNoItem);
      }
    }
    if (again) {
      shown_ = 0;
      bins_ = {};
      late_.clear();
      lateCount_ = 0;
      // The second reading reads what the first one did, whatever came after it.
      const uint64_t readTo = source_->Offset();
      source_->Rewind();
      stream_->Restart();
      stream_->StopAt(readTo);
      stream_->ReadTitles();
      Pass(true);
    }
    return true;
  }

  // The new rows as the journal grows, until the idle hook says to stop or the journal has
  // been gone for a while. What its files gain, whatever becomes of them, comes through the
  // follower as bytes to read on with; a journal opened afresh is read as a run without
  // --follow reads it, its title row not printed again. A failure is told once.
  void Follow() {
    out_.Commit();
    following_ = true;
    stream_->FeedOnly();
    std::vector<std::unique_ptr<JournalSource>> sources;
    sources.push_back(std::move(source_));
    JournalFollower follower(K, rules_, std::move(sources));
    for (bool more = false;;) {
      out_.Flush();
      if (!more && !followIdle_()) return;
      const JournalFollower::Outcome look = follower.Look(clock_(), *this);
      more = look.more;
      switch (look.what) {
        case JournalFollower::Outcome::What::FreshOpen: {
          std::string error;
          std::vector<std::unique_ptr<JournalSource>> opened = StartOver(error);
          if (follower.Restart(std::move(opened), error)) Tell(error);
          break;
        }
        case JournalFollower::Outcome::What::Failed:
          if (!look.error.empty()) Tell(look.error);
          break;
        case JournalFollower::Outcome::What::Gone:
          out_.Flush();
          err_.Write("Файл удалён: " + std::string(FileNameOf(look.path)) + "\n");
          return;
        case JournalFollower::Outcome::What::Nothing:
        case JournalFollower::Outcome::What::Read:
          break;
      }
    }
  }

  void Tell(const std::string& error) {
    out_.Flush();
    err_.Write(Cp1251ToUtf8(ReportText(error)) + "\n");
  }

  // Opens the file at the name afresh and reads it as a run without --follow does; the
  // source for the follower, and the error when it cannot be read.
  std::vector<std::unique_ptr<JournalSource>> StartOver(std::string& error) {
    std::vector<std::unique_ptr<JournalSource>> sources;
    source_ = std::make_unique<JournalSource>(o_.file);
    stream_ = std::make_unique<JournalStream>(*source_, kKind);
    stream_->WaitForLineEnds();
    try {
      source_->Open(ReadErrorStyle::TextFile);
      source_->LimitTo(JournalFollower::WholeLinesEnd(*source_, K));
      const bool titled = CatchUp(!titled_);
      titled_ = titled_ || titled;
    } catch (const AppError& e) {
      error = e.Message();
    }
    stream_->FeedOnly();
    sources.push_back(std::move(source_));
    return sources;
  }

  // What the follower hands over: the bytes that follow those read, another file's lines,
  // a file's lines read again. Printed rows stay printed.
  FollowRead Append(size_t, std::string_view bytes) override { return Read(stream_->Resume(bytes)); }
  FollowRead NextFile(size_t) override {
    stream_->EndOfFile();
    FollowRead read = Read(true);
    stream_->Restart(true);
    return read;
  }
  void Drop(size_t) override { stream_->Restart(true); }
  void Fail(const std::string&) override {}

  FollowRead Read(bool any) {
    FollowRead read;
    if (!any) return read;
    try {
      Pass(true);
    } catch (const AppError& error) {
      read.error = error.Message();
    }
    return read;
  }

  const std::vector<std::string_view>& List(int l) const { return lists_[static_cast<size_t>(l)].Items(); }

  // The item of the wanted text of list `l`; -1 when the list does not hold it.
  int Wanted(int l) const {
    const std::optional<std::string>& wanted = wanted_[static_cast<size_t>(l)];
    return wanted ? lists_[static_cast<size_t>(l)].Find(*wanted) : 0;
  }

  // The date and time of a record line alone, read as the parser reads it.
  TDateTime TimeOfLine(std::string_view line) {
    // Lines of one second most often follow one another: a line that begins as the last one
    // did, up to the tab after its date-time field, has its moment.
    const size_t known = prefixLength_;
    if (known > 0 && line.size() > known && line[known] == '\t' && SameWords(line.data(), timePrefix_.data(), known)) {
      return prefixTime_;
    }
    std::string_view rest = line, field;
    for (int f = 0; f <= kKind.dateTimeField; ++f) field = CutFieldOf(kKind, rest, f);
    const TDateTime time = dates_.Read(field);
    // Only a field ended by a tab: the last column's would take the rest of the line.
    const auto end = static_cast<size_t>(field.data() + field.size() - line.data());
    prefixLength_ = end >= 8 && end <= timePrefix_.size() && end < line.size() && line[end] == '\t' ? end : 0;
    std::memcpy(timePrefix_.data(), line.data(), prefixLength_);
    prefixTime_ = time;
    return time;
  }

  // One reading of the journal; with `select`, the records that pass are counted and printed.
  void Pass(bool select) {
    RecordParser<K> parser(rules_, lists_, &arena_, listMask_);
    ParsedRecord values;
    std::string_view line;
    const bool firstPass = !counted_;
    // A text every passing line holds: a line without it is only counted, its date and time
    // read for the count, the days and their errors. Not while lists are built, whose items
    // every line brings.
    const ByteSearch* needs = texts_ && listMask_ == 0 && !o_.lists ? texts_->LineNeeds() : nullptr;
    // Whole-file lines are views of the bytes held, which stay as read: the text is looked for
    // through those bytes at once, and a line before the next place found lacks it.
    const bool ahead = kKind.lines == LineRule::WholeFile;
    const char* next = nullptr;
    uint64_t changes = 0;
    while (stream_->Next(line)) {
      bool hopeless = false;
      if (needs != nullptr && !ahead) {
        hopeless = !needs->In(line);
      } else if (needs != nullptr) {
        if (next == nullptr || next < line.data() || stream_->Changes() != changes) {
          changes = stream_->Changes();
          const std::string_view held = stream_->Ahead();
          const std::string_view from(line.data(), static_cast<size_t>(held.data() + held.size() - line.data()));
          const size_t at = needs->Find(from);
          next = at == ByteSearch::npos ? from.data() + from.size() : from.data() + at;
        }
        // A place that runs past the line's end is none of the line's, nor is any after it.
        hopeless = next + needs->size() > line.data() + line.size();
      }
      if (hopeless) {
        values.time = TimeOfLine(line);
      } else {
        parser.Parse(line, values);
      }
      if (firstPass) {
        ++total_;
        if constexpr (kKind.findsDays) days_.Note(values.time);
      }
      // A followed journal that reaches a new day: its end day, when it was the file's last
      // day, moves to it, as a fresh run would have it.
      if (following_ && kKind.dateRange && !o_.toDate && WholeDay(values.time) > WholeDay(filter_.endDate)) {
        filter_.endDate = WholeDay(values.time);
        out_.Text() += late_;
        shown_ += lateCount_;
        late_.clear();
        lateCount_ = 0;
        out_.Flushed();
      }
      if (!select || hopeless) continue;
      if (!ListsKnown()) continue;
      if (o_.histogram) {
        if (filter_.PassesDays(values.time) && filter_.PassesListsAndTone(values.items.data(), values.tone) &&
            PassesTexts(line, values.time)) {
          ++bins_[static_cast<size_t>(BinOf(values.time))];
        }
        continue;
      }
      if (!filter_.PassesMoment(values.time)) {
        // Followed, the end day's late rows wait for the next day, which lets them through.
        if (o_.follow && kKind.dateRange && !o_.toDate && Rows() && Late(values.time) &&
            filter_.PassesListsAndTone(values.items.data(), values.tone) && PassesTexts(line, values.time)) {
          RenderRow(line, values.time, values.tone, late_);
          ++lateCount_;
        }
        continue;
      }
      if (!filter_.PassesListsAndTone(values.items.data(), values.tone) || !PassesTexts(line, values.time)) continue;
      ++shown_;
      if (Rows()) PrintRow(line, values.time, values.tone);
    }
    counted_ = true;
  }

  bool PassesTexts(std::string_view line, TDateTime time) {
    return !texts_ || texts_->PassesLine(line, time, -1, textScratch_);
  }

  // The wanted values' items, as far as records have brought them into the lists: a text no
  // record holds selects the empty value, once a record brings it; false while neither is
  // known, when no record passes.
  bool ListsKnown() {
    for (int l = 0; l < kKind.listCount; ++l) {
      ValueFilter& f = filter_.lists[static_cast<size_t>(l)];
      if (f.passAll || f.item != kNoItem) continue;
      const int item = Wanted(l);
      // Before the whole journal is read, the wanted text may still come.
      if (item < 0 && !following_) return false;
      f = item >= 0 ? ValueFilter{false, static_cast<uint32_t>(item)} : ValueFilter::Select(-1, List(l));
      if (f.item == kNoItem) return false;
    }
    return true;
  }

  // The title row; a later journal of a followed name only gives the rows their new keys.
  void PrintTitles(bool first) {
    if (o_.xlsx) {
      if (first) workbook_.emplace(*o_.output, ShownTitles(titles_, kKind.columns), WorkbookLook{});
      return;
    }
    if (o_.format) {
      std::optional<std::string> journal;
      if (o_.moment || *o_.format == RowFormat::JsonLines) journal = Cp1251ToUtf8(ShownJournalNames({o_.file}).front());
      export_.emplace(*o_.format, kKind.columns, ShownTitles(titles_, kKind.columns), journal);
      if (!first) return;
      export_->AppendTitles(out_.Text());
      out_.Flushed();
      return;
    }
    if (!first) return;
    std::string& text = out_.Text();
    for (int c = 0; c < kKind.columns; ++c) {
      if (c > 0) text.push_back('\t');
      if (static_cast<size_t>(c) < titles_.size()) AppendCp1251AsUtf8(text, titles_[static_cast<size_t>(c)]);
    }
    out_.LineDone();
  }

  void PrintRow(std::string_view line, TDateTime time, TextTone tone) {
    RenderRow(line, time, tone, out_.Text());
    out_.Flushed();
  }

  void RenderRow(std::string_view line, TDateTime time, TextTone tone, std::string& text) {
    if (export_ || workbook_) {
      std::array<std::string_view, kMaxColumns> cells{};
      for (int c = 0; c < kKind.columns; ++c) cells[static_cast<size_t>(c)] = CellOfLine(kKind, rules_.regional, line, time, c, scratch_);
      if (workbook_) return workbook_->AppendRow(time, cells.data(), tone);
      export_->AppendRow(cells.data(), text, time);
      return;
    }
    for (int c = 0; c < kKind.columns; ++c) {
      if (c > 0) text.push_back('\t');
      AppendCp1251AsUtf8(text, CellOfLine(kKind, rules_.regional, line, time, c, scratch_));
    }
    text.push_back('\n');
  }

  // A record of the end day past the time window's end: it passes once a later day comes.
  bool Late(TDateTime t) const {
    return WholeDay(t) == WholeDay(filter_.endDate) && filter_.PassesDays(t) && filter_.time.AtOrAfterStart(t);
  }

  void PrintHistogram() {
    AppendHistogramText(bins_, out_.Text());
    out_.Flushed();
  }

  void PrintLists() {
    AppendListsText(kKind, lists_, out_.Text());
    out_.Flushed();
  }

  const QueryOptions& o_;
  const DateTimeRules& rules_;
  BufferedOut out_;
  TextSink& err_;
  const std::function<bool()>& followIdle_;
  const FollowClock& clock_;
  std::unique_ptr<JournalSource> source_;
  std::unique_ptr<JournalStream> stream_;
  DateTimeReader dates_;
  // The text filters, if any.
  std::optional<TextRule> texts_;
  // The bytes of the last line read by TimeOfLine up to its date-time field's end, and its
  // moment.
  std::array<char, 48> timePrefix_{};
  size_t prefixLength_ = 0;
  TDateTime prefixTime_ = 0;
  std::string textScratch_;
  // The title row is printed (a followed journal's title line may not have ended yet).
  bool titled_ = false;
  bool following_ = false;
  // The end day's rows past the time window's end, as printed once a later day comes.
  std::string late_;
  size_t lateCount_ = 0;
  std::array<DistinctList, kMaxLists> lists_;
  // The text each list's option asks for, Windows-1251.
  std::array<std::optional<std::string>, kMaxLists> wanted_;
  TextArena arena_;
  unsigned listMask_ = 0;
  RecordFilter filter_;
  std::vector<std::string> titles_;
  std::optional<RowExport> export_;
  std::optional<XlsxWorkbook> workbook_;
  std::string scratch_;
  size_t total_ = 0;
  size_t shown_ = 0;
  std::array<size_t, kTimelineBins> bins_{};
  bool counted_ = false;
  DaySpan days_;
};

}  // namespace

std::string RunStreamQuery(const QueryOptions& options, JournalKind kind, const DateTimeRules& rules, TextSink& out,
                           TextSink& err, const std::function<bool()>& followIdle, const FollowClock& clock) {
  return WithKind(kind, [&](auto k) {
    return StreamQuery<decltype(k)::value>(options, rules, out, err, followIdle, clock).Run();
  });
}

}  // namespace vantorel
