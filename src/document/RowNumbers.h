#pragma once
// The ways a row is counted, kept apart by their types: a record's place in its journal (of
// several journals, in their merged order), and a row the view shows (0 on, among the records
// that pass the filters). The grid counts its title row too; that count is the grid's alone.
#include <compare>
#include <cstdint>

namespace vantorel {

struct RecordIndex {
  uint32_t value = 0;
  auto operator<=>(const RecordIndex&) const = default;
};

struct ShownRow {
  uint32_t value = 0;
  auto operator<=>(const ShownRow&) const = default;
};

}  // namespace vantorel
