// The four views: pick the records that pass the filters, show them, size the columns and
// write the count.
#include "views/ActionFilter.h"
#include "views/AlarmFilter.h"
#include "views/ParamFilter.h"
#include "window/CorvanelForm.h"
#include "window/PickerValues.h"

namespace vantorel {
namespace {

constexpr int kColumnPad = 50;

ValueFilter SelectionOf(const FilterComboBox* combo, const std::vector<std::string_view>& items) {
  return ValueFilter::Select(combo->SelectedIndex(), items);
}

}  // namespace

TimeWindow TCorvanelForm::TimeFilter() const {
  return TimeWindow{FromQTime(StartTime->time()), FromQTime(EndTime->time())};
}

void TCorvanelForm::FinishView(const JournalTable* table, std::vector<uint32_t> rows, size_t total) {
  const size_t shown = rows.size();
  StringGrid->ClearGridRows();
  StringGrid->ShowRows(table, std::move(rows));
  StringGrid->FitColumnWidths(kColumnPad);
  if (StringGrid->RowCount() > 1) StringGrid->SetFixedRows(1);
  SetStatusText(1, QString("Показано строк: %1 из %2").arg(shown).arg(total));
}

void TCorvanelForm::RefreshAlarmView() {
  AlarmFilters filters;
  filters.time = TimeFilter();
  filters.group = SelectionOf(GroupCB, alarmLists_.groups);
  filters.node = SelectionOf(NameCB, alarmLists_.nodes);
  filters.port = SelectionOf(PortCB, alarmLists_.ports);
  filters.showUnimportant = ShowOlive->isChecked();
  std::vector<uint32_t> rows;
  SelectAlarmRows(alarms_, filters, rows);
  FinishView(&alarmTable_, std::move(rows), alarms_.size());
}

void TCorvanelForm::RefreshActionView() {
  ActionFilters filters;
  filters.time = TimeFilter();
  filters.user = SelectionOf(UserCB, actionLists_.users);
  filters.action = SelectionOf(ActCB, actionLists_.actions);
  std::vector<uint32_t> rows;
  SelectActionRows(actions_, filters, rows);
  FinishView(&actionTable_, std::move(rows), actions_.size());
}

namespace {

ParamFilters ParamFiltersOf(const TCorvanelForm& form, const ParamLists& lists, TimeWindow time) {
  ParamFilters filters;
  filters.startDate = FromQDate(form.StartDate->date());
  filters.endDate = FromQDate(form.EndDate->date());
  filters.time = time;
  filters.group = SelectionOf(form.GroupCB2, lists.groups);
  filters.node = SelectionOf(form.NameCb2, lists.nodes);
  filters.port = SelectionOf(form.PortCB2, lists.ports);
  filters.param = SelectionOf(form.ParamCB, lists.params);
  return filters;
}

}  // namespace

void TCorvanelForm::RefreshParamView() {
  std::vector<uint32_t> rows;
  SelectParamRows(params_, ParamFiltersOf(*this, paramLists_, TimeFilter()), rows);
  FinishView(&paramTable_, std::move(rows), params_.size());
}

void TCorvanelForm::RefreshStatView() {
  std::vector<uint32_t> rows;
  SelectStatRows(params_, ParamFiltersOf(*this, paramLists_, TimeFilter()), rows);
  FinishView(&statTable_, std::move(rows), params_.size());
}

}  // namespace vantorel
