#pragma once
// The cell texts of each kind's table, made on demand from the records.
#include <string>
#include <string_view>

#include "datetime/RegionalSettings.h"
#include "journals/ActionLog.h"
#include "journals/AlarmLog.h"
#include "journals/ParamStatLog.h"

namespace vantorel {

// One kind's records as table cells. Text fields come back as views into the journal; the
// date-time column is written into `scratch`. Texts are Windows-1251 bytes.
class JournalTable {
 public:
  virtual ~JournalTable() = default;
  virtual int ColumnCount() const = 0;
  virtual size_t RecordCount() const = 0;
  virtual std::string_view CellText(size_t record, int column, std::string& scratch) const = 0;
};

// Alarm rows: time of day, group, detail, node, board or port, message, rest of the line.
class AlarmTable final : public JournalTable {
 public:
  AlarmTable(const AlarmRecords& records, const RegionalSettings& settings)
      : records_(records), settings_(settings) {}
  int ColumnCount() const override { return kAlarmColumns; }
  size_t RecordCount() const override { return records_.size(); }
  std::string_view CellText(size_t record, int column, std::string& scratch) const override;

 private:
  const AlarmRecords& records_;
  const RegionalSettings& settings_;
};

// Action rows: user, time of day, three details, action.
class ActionTable final : public JournalTable {
 public:
  ActionTable(const ActionRecords& records, const RegionalSettings& settings)
      : records_(records), settings_(settings) {}
  int ColumnCount() const override { return kActionColumns; }
  size_t RecordCount() const override { return records_.size(); }
  std::string_view CellText(size_t record, int column, std::string& scratch) const override;

 private:
  const ActionRecords& records_;
  const RegionalSettings& settings_;
};

// Parameter-change rows show the date and time in column 0; statistics rows the time alone.
class ParamTable final : public JournalTable {
 public:
  ParamTable(const ParamRecords& records, const RegionalSettings& settings, bool showDate)
      : records_(records), settings_(settings), showDate_(showDate) {}
  int ColumnCount() const override { return kParamColumns; }
  size_t RecordCount() const override { return records_.size(); }
  std::string_view CellText(size_t record, int column, std::string& scratch) const override;

 private:
  const ParamRecords& records_;
  const RegionalSettings& settings_;
  bool showDate_;
};

}  // namespace vantorel
