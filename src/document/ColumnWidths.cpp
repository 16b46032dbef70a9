#include "document/ColumnWidths.h"

#include <algorithm>
#include <numeric>
#include <system_error>
#include <thread>

#include "datetime/DateTimeText.h"
#include "journals/LoadObserver.h"

namespace vantorel {

WidthIndex::WidthIndex(const JournalDocument& document, const TextMeasure& measure, int threads,
                       const std::atomic<bool>* cancel)
    : measure_(measure), columns_(document.ColumnCount()), settings_(document.Settings()) {
  blockWidest_.assign(static_cast<size_t>(columns_), {});
  widestFirst_.assign(static_cast<size_t>(columns_), {});
  records_ = document.RecordCount();
  const size_t blocks = (records_ + kRecordBlock - 1) / kRecordBlock;
  for (auto& widest : blockWidest_) widest.assign(blocks, 0);
  // The load measured the text columns already: only the others are left.
  const BlockWidths& loaded = document.Data().records.widths;
  if (loaded.Measured(measure_, records_)) {
    const KindDescription& kind = document.Kind();
    for (int c = 0; c < kind.columns; ++c) {
      if (IsTextColumn(kind, c)) blockWidest_[static_cast<size_t>(c)] = loaded.widest[static_cast<size_t>(c)];
    }
    textMeasured_ = true;
    if (loaded.bounds) boundEnd_ = blocks;
  }
  // The shared tables are filled before the threads read them.
  if (document.Kind().dateTimeField >= 0 && records_ > 0) MeasureSeconds();
  MeasureItems(document);
  for (const std::string& name : document.Data().journalNames) journalRaw_.push_back(measure_.Raw(name));
  // Each thread keeps the date it measured last of its own.
  const size_t parts = threads > 1 ? std::min<size_t>(static_cast<size_t>(threads), std::max<size_t>(1, blocks / 64)) : 1;
  std::vector<std::thread> workers;
  std::atomic<bool> stopped{false};
  std::vector<size_t> here;
  for (size_t p = 1; p < parts; ++p) {
    try {
      workers.emplace_back([this, &document, &stopped, cancel, blocks, parts, p] {
        if (!MeasureBlocks(document, blocks * p / parts, blocks * (p + 1) / parts, cancel)) stopped = true;
      });
    } catch (const std::system_error&) {
      here.push_back(p);
    }
  }
  if (!MeasureBlocks(document, 0, blocks / parts, cancel)) stopped = true;
  for (size_t p : here) {
    if (!MeasureBlocks(document, blocks * p / parts, blocks * (p + 1) / parts, cancel)) stopped = true;
  }
  for (std::thread& worker : workers) worker.join();
  if (stopped) throw LoadCancelled();
  textMeasured_ = false;
  SortBlocks();
}

void WidthIndex::MeasureSeconds() {
  if (!secondRaw_.empty()) return;
  secondRaw_.resize(86400);
  std::string text;
  for (int32_t s = 0; s < 86400; ++s) {
    text.clear();
    AppendTimeText(text, s / 86400.0, settings_);
    secondRaw_[static_cast<size_t>(s)] = measure_.Raw(text);
  }
}

void WidthIndex::MeasureItems(const JournalDocument& document) {
  for (int l = 0; l < document.ListCount(); ++l) {
    const std::vector<std::string_view>& items = document.List(l);
    std::vector<uint64_t>& raw = itemRaw_[static_cast<size_t>(l)];
    while (raw.size() < items.size()) raw.push_back(measure_.Raw(items[raw.size()]));
  }
}

bool WidthIndex::Current(const JournalDocument& document) const {
  if (document.RecordCount() != records_) return false;
  if (records_ > 0 && document.Kind().dateTimeField >= 0 && secondRaw_.empty()) return false;
  for (int l = 0; l < document.ListCount(); ++l) {
    if (itemRaw_[static_cast<size_t>(l)].size() != document.List(l).size()) return false;
  }
  return true;
}

uint64_t WidthIndex::RawWidth(const JournalDocument& document, size_t record, int column, DayRaw& day) const {
  const KindDescription& kind = document.Kind();
  if (column == kind.columns) return journalRaw_[document.Data().journalOf[record]];
  if (column == kind.dateTimeField) {
    const TDateTime time = document.Time(record);
    const int32_t second = TimeOfDayMs(time) / 1000;
    if (kind.timeColumn == TimeColumn::TimeOfDay) return TimeRaw(second);
    // Records of one day stand together most often.
    if (static_cast<int64_t>(time) != day.day) {
      std::string text;
      AppendDateText(text, time, settings_);
      day = {static_cast<int64_t>(time), measure_.Raw(text)};
    }
    return day.raw + (second != 0 ? measure_.advance[' '] + TimeRaw(second) : 0);
  }
  const int list = ListOfField(kind, column);
  if (list >= 0) return itemRaw_[static_cast<size_t>(list)][document.Item(record, list)];
  return measure_.Raw(FieldOfLine(kind, document.Line(record), column));
}

bool WidthIndex::MeasureBlocks(const JournalDocument& document, size_t firstBlock, size_t endBlock,
                               const std::atomic<bool>* cancel) {
  std::array<std::string_view, kMaxColumns> fields;
  const KindDescription& kind = document.Kind();
  std::array<bool, kMaxColumns> text{};
  for (int c = 0; c < columns_; ++c) text[static_cast<size_t>(c)] = IsTextColumn(kind, c);
  if (textMeasured_) {
    MeasureOtherColumns(document, firstBlock, endBlock, text);
    return true;
  }
  // No byte is wider than this: a text no longer than the widest one so far divided by it
  // cannot be wider, and is not measured.
  const uint64_t widestByte = *std::max_element(measure_.advance.begin(), measure_.advance.end());
  DayRaw day;
  for (size_t block = firstBlock; block < endBlock; ++block) {
    if (cancel != nullptr && block % 64 == 0 && cancel->load(std::memory_order_relaxed)) return false;
    const size_t end = std::min(records_, (block + 1) * kRecordBlock);
    std::array<uint64_t, kMaxColumns> widest{};
    for (size_t r = block * kRecordBlock; r < end; ++r) {
      // The line is cut once for all its text columns.
      FieldsOfLine(kind, document.Line(r), fields);
      for (int c = 0; c < columns_; ++c) {
        uint64_t& most = widest[static_cast<size_t>(c)];
        if (!text[static_cast<size_t>(c)]) {
          most = std::max(most, RawWidth(document, r, c, day));
          continue;
        }
        const std::string_view field = fields[static_cast<size_t>(c)];
        if (field.size() * widestByte > most) most = std::max(most, measure_.Raw(field));
      }
    }
    for (int c = 0; c < columns_; ++c) {
      blockWidest_[static_cast<size_t>(c)][block] = static_cast<uint32_t>(TextMeasure::Pixels(widest[static_cast<size_t>(c)]));
    }
  }
  return true;
}

void WidthIndex::MeasureOtherColumns(const JournalDocument& document, size_t firstBlock, size_t endBlock,
                                     const std::array<bool, kMaxColumns>& text) {
  const KindDescription& kind = document.Kind();
  const Journal& journal = document.Data();
  DayRaw day;
  for (int c = 0; c < columns_; ++c) {
    if (text[static_cast<size_t>(c)]) continue;
    // A list's items and the journals' names are looked up by number; the time texts go by
    // the record's moment.
    const int list = c < kind.columns ? ListOfField(kind, c) : -1;
    const uint64_t* raw = list >= 0 ? itemRaw_[static_cast<size_t>(list)].data() : nullptr;
    std::vector<uint32_t>& blockWidest = blockWidest_[static_cast<size_t>(c)];
    for (size_t block = firstBlock; block < endBlock; ++block) {
      const size_t end = std::min(records_, (block + 1) * kRecordBlock);
      uint64_t most = 0;
      if (list >= 0) {
        journal.records.items[static_cast<size_t>(list)].Visit([&](const auto* numbers) {
          for (size_t r = block * kRecordBlock; r < end; ++r) most = std::max(most, raw[numbers[r]]);
        });
      } else if (c == kind.columns) {
        for (size_t r = block * kRecordBlock; r < end; ++r) most = std::max(most, journalRaw_[journal.journalOf[r]]);
      } else {
        for (size_t r = block * kRecordBlock; r < end; ++r) most = std::max(most, RawWidth(document, r, c, day));
      }
      blockWidest[block] = static_cast<uint32_t>(TextMeasure::Pixels(most));
    }
  }
}

void WidthIndex::SortBlocks() {
  sorted_ = blockWidest_.empty() ? 0 : blockWidest_[0].size();
  for (int c = 0; c < columns_; ++c) {
    const std::vector<uint32_t>& widest = blockWidest_[static_cast<size_t>(c)];
    std::vector<uint32_t>& order = widestFirst_[static_cast<size_t>(c)];
    order.resize(widest.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&widest](uint32_t a, uint32_t b) { return widest[a] > widest[b]; });
  }
}

void WidthIndex::Extend(const JournalDocument& document) {
  const size_t count = document.RecordCount();
  MeasureItems(document);
  if (count > 0 && document.Kind().dateTimeField >= 0) MeasureSeconds();
  if (count == records_) return;
  const size_t firstBlock = records_ / kRecordBlock;
  boundEnd_ = std::min(boundEnd_, firstBlock);
  records_ = count;
  const size_t blocks = (count + kRecordBlock - 1) / kRecordBlock;
  for (auto& widest : blockWidest_) widest.resize(blocks, 0);
  MeasureBlocks(document, firstBlock, blocks);
  // A few blocks changed at the end: they are looked at one by one until there are many.
  sorted_ = std::min(sorted_, firstBlock);
  if (blocks - sorted_ > 256) SortBlocks();
}

void WidthIndex::Forget(size_t from) {
  if (from >= records_) return;
  const size_t firstBlock = from / kRecordBlock;
  boundEnd_ = std::min(boundEnd_, firstBlock);
  records_ = firstBlock * kRecordBlock;
  for (auto& widest : blockWidest_) widest.resize(firstBlock);
  sorted_ = std::min(sorted_, firstBlock);
  for (std::vector<uint64_t>& raw : itemRaw_) raw.clear();
}

int WidthIndex::CellWidth(const JournalDocument& document, size_t record, int column) {
  if (column < 0 || column >= columns_) return 0;
  MeasureItems(document);
  if (document.Kind().dateTimeField >= 0) MeasureSeconds();
  DayRaw day;
  return TextMeasure::Pixels(RawWidth(document, record, column, day));
}

std::vector<int> WidthIndex::Widest(const JournalDocument& document, const RowSet& rows, int threads) const {
  std::vector<int> result(static_cast<size_t>(columns_), 0);
  if (rows.rows.empty() || records_ == 0) return result;
  // Each thread takes every parts-th block of a column's search; the widest found so far is
  // shared, so that every thread passes over what cannot be wider.
  const size_t parts = static_cast<size_t>(std::max(1, std::min(threads, 8)));
  std::vector<std::atomic<uint32_t>> best(static_cast<size_t>(columns_));
  for (std::atomic<uint32_t>& b : best) b = 0;
  const KindDescription& kind = document.Kind();
  auto search = [&](size_t part) {
    DayRaw day;
    for (int c = 0; c < columns_; ++c) {
      // Blocks before boundEnd_ may be measured wider than their texts are.
      const size_t exactFrom = IsTextColumn(kind, c) ? boundEnd_ : 0;
      const std::vector<uint32_t>& widest = blockWidest_[static_cast<size_t>(c)];
      const std::vector<uint32_t>& order = widestFirst_[static_cast<size_t>(c)];
      std::atomic<uint32_t>& shared = best[static_cast<size_t>(c)];
      uint32_t mine = 0;
      // The blocks not sorted yet, then the sorted ones widest first; the search stops at
      // the first sorted block no wider than what was found.
      const size_t blocks = widest.size();
      for (size_t k = part; k < (blocks - sorted_) + order.size(); k += parts) {
        const bool tail = k < blocks - sorted_;
        const uint32_t block = tail ? static_cast<uint32_t>(sorted_ + k) : order[k - (blocks - sorted_)];
        if (!tail && block >= sorted_) continue;
        mine = std::max(mine, shared.load(std::memory_order_relaxed));
        if (widest[block] <= mine) {
          if (tail) continue;
          break;
        }
        const uint32_t begin = rows.blockStarts[block], end = rows.blockStarts[block + 1];
        if (begin == end) continue;
        const size_t inBlock = std::min(records_, (static_cast<size_t>(block) + 1) * kRecordBlock) - block * kRecordBlock;
        if (end - begin == inBlock && block >= exactFrom) {
          // Every record of the block shows: its widest text is the block's.
          mine = widest[block];
        } else {
          for (uint32_t row = begin; row < end; ++row) {
            mine = std::max(mine, static_cast<uint32_t>(TextMeasure::Pixels(RawWidth(document, rows.rows[row], c, day))));
          }
        }
        for (uint32_t seen = shared.load(std::memory_order_relaxed); seen < mine && !shared.compare_exchange_weak(seen, mine);) {
        }
      }
    }
  };
  std::vector<std::thread> workers;
  for (size_t p = 1; p < parts; ++p) {
    try {
      workers.emplace_back(search, p);
    } catch (const std::system_error&) {
      search(p);
    }
  }
  search(0);
  for (std::thread& worker : workers) worker.join();
  for (int c = 0; c < columns_; ++c) result[static_cast<size_t>(c)] = static_cast<int>(best[static_cast<size_t>(c)].load());
  return result;
}

}  // namespace vantorel
