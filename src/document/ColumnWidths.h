#pragma once
// Column widths of a view: each column as wide as its widest shown text plus a pad, found
// without measuring every shown row on every filter change.
#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "document/JournalDocument.h"
#include "journals/TextMeasure.h"

namespace vantorel {

// The widest text of each column over each block of kRecordBlock records, measured once per
// journal. A view's widths then look at the blocks widest first: a block whose rows all show
// gives its width at once, one partly shown is measured row by row, and the search stops at
// the first block no wider than what was found.
class WidthIndex {
 public:
  WidthIndex() = default;
  // Measures every record of `document`, on `threads` threads. Raises LoadCancelled when
  // `cancel` is set meanwhile.
  WidthIndex(const JournalDocument& document, const TextMeasure& measure, int threads = 1,
             const std::atomic<bool>* cancel = nullptr);

  const TextMeasure& Measure() const { return measure_; }
  // Records the index has measured.
  size_t Records() const { return records_; }
  // Measures the records added to `document` since the index last looked, and the items its
  // lists gained.
  void Extend(const JournalDocument& document);
  // Whether the index has measured every record and list item of `document` as it stands.
  bool Current(const JournalDocument& document) const;
  // The records from `from` on changed (went, moved, or came among the others): they are
  // measured again at the next Extend, and so are the lists' items.
  void Forget(size_t from);

  // The widest text of each shown row of `rows`, per column, in pixels; 0 for a column when
  // no row shows, found on up to `threads` threads. The index must be Current; any thread,
  // beside others that only read it.
  std::vector<int> Widest(const JournalDocument& document, const RowSet& rows, int threads = 1) const;
  // The width of one cell's text, in pixels.
  int CellWidth(const JournalDocument& document, size_t record, int column);

 private:
  // The raw width of the date text of the day last asked for.
  struct DayRaw {
    int64_t day = std::numeric_limits<int64_t>::min();
    uint64_t raw = 0;
  };

  uint64_t RawWidth(const JournalDocument& document, size_t record, int column, DayRaw& day) const;
  // The raw width of the time text of each second of the day, made once.
  void MeasureSeconds();
  uint64_t TimeRaw(int32_t second) const { return secondRaw_[static_cast<size_t>(second)]; }
  // Measures the lists' items added since the index last looked.
  void MeasureItems(const JournalDocument& document);
  // False when `cancel` stopped it.
  bool MeasureBlocks(const JournalDocument& document, size_t firstBlock, size_t endBlock,
                     const std::atomic<bool>* cancel = nullptr);
  // The columns that show no text of the line as it stands (MeasureBlocks when the load
  // measured the others).
  void MeasureOtherColumns(const JournalDocument& document, size_t firstBlock, size_t endBlock,
                           const std::array<bool, kMaxColumns>& text);
  void SortBlocks();

  TextMeasure measure_;
  int columns_ = 0;
  size_t records_ = 0;
  // blockWidest_[column][block], in pixels.
  std::vector<std::vector<uint32_t>> blockWidest_;
  // Blocks by their widest text in a column, widest first: the blocks before sorted_; those
  // from it on (the ones a growing journal changes) are looked at one by one.
  std::vector<std::vector<uint32_t>> widestFirst_;
  size_t sorted_ = 0;
  // Raw widths of the time texts of each second of the day, made when first needed.
  std::vector<uint64_t> secondRaw_;
  std::array<std::vector<uint64_t>, kMaxLists> itemRaw_;
  // Raw widths of the names of merged journals, in the order of the journal's names.
  std::vector<uint64_t> journalRaw_;
  RegionalSettings settings_;
  // While the index is made from a load that measured the text columns.
  bool textMeasured_ = false;
  // The text columns' blocks before this one were measured in another order (see
  // BlockWidths::bounds): a block of them whose rows all show is measured row by row.
  size_t boundEnd_ = 0;
};

}  // namespace vantorel
