#pragma once
// The records the operator has marked: a bit a record, by record index. A value: a change
// makes a new set, so a job beside the window reads the set it started with.
#include <cstdint>
#include <optional>
#include <vector>

#include "document/RowNumbers.h"

namespace vantorel {

class RecordMarks {
 public:
  bool Contains(RecordIndex record) const {
    const size_t word = record.value / 64;
    return word < words_.size() && (words_[word] >> (record.value % 64) & 1) != 0;
  }
  void Set(RecordIndex record, bool marked);
  size_t Count() const { return count_; }
  bool empty() const { return count_ == 0; }

  // The first marked record after `record` (before it, with `forward` false); none when
  // there is none that way.
  std::optional<RecordIndex> Next(RecordIndex record, bool forward) const;
  // The first marked record (the last, with `forward` false).
  std::optional<RecordIndex> First(bool forward) const;

  // The marks after following changed the records: those before `unchanged` stay, each one
  // from it on goes where `moved` says (a record taken away loses its mark); with `moved`
  // empty, records were only added.
  RecordMarks Moved(size_t unchanged, const std::vector<uint32_t>& moved) const;
  // The marks of records below `count` alone: a journal read again may hold fewer.
  RecordMarks Below(size_t count) const;

  // The bits, 64 records a word; words past the end are 0.
  const std::vector<uint64_t>& Words() const { return words_; }

 private:
  std::vector<uint64_t> words_;
  size_t count_ = 0;
};

}  // namespace vantorel
