// The view: the controls read into a filter state, the records that pass it shown, the
// columns sized and the count written.
#include "platform/DisplayText.h"
#include "platform/PickerValues.h"
#include "window/CorvanelForm.h"

namespace vantorel {
namespace {
constexpr int kColumnPad = 50;
}

FilterState TCorvanelForm::ReadFilterState() const {
  FilterState state;
  state.startTime = FromQTime(StartTime->time());
  state.endTime = FromQTime(EndTime->time());
  state.startDate = FromQDate(StartDate->date());
  state.endDate = FromQDate(EndDate->date());
  const std::array<FilterComboBox*, kMaxLists> lists = ListsOf(session_->Kind());
  for (int l = 0; l < DescriptionOf(session_->Kind()).listCount; ++l) {
    const FilterComboBox* combo = lists[static_cast<size_t>(l)];
    ListSelection& selection = state.lists[static_cast<size_t>(l)];
    selection.index = combo->SelectedIndex();
    selection.text = ToCp1251(selection.index >= 0 ? combo->itemText(selection.index) : combo->currentText());
  }
  state.showUnimportant = ShowOlive->isChecked();
  state.texts = textFilters_;
  state.markedOnly = MarkedOnly->isChecked();
  state.marks = session_->Marks();
  return state;
}

void TCorvanelForm::RefreshView(std::function<void()> then) {
  const JournalDocument& document = session_->Current();
  const FilterState filters = ReadFilterState();
  session_->Showing(filters);
  // A search under way looked at rows that are no longer shown.
  Finder->Cancel();
  StringGrid->Model().SetHighlights(filters.texts);
  StringGrid->SetMarks(filters.marks);
  // A search of new texts through a journal of some size would keep the window waiting too.
  const bool beside = document.RecordCount() >= viewInPlaceRecords ||
                      (document.RecordCount() >= viewInPlaceRecords / 8 && !document.TextsReady(filters.texts));
  // The rows a load chose come with their widths, measured beside the window.
  const std::vector<int> preparedWidest = StringGrid->Model().PreparedWidest(document, filters);
  if (beside && !StringGrid->Model().Prepared(document, filters)) {
    // Selected beside the window: the table shows the rows it has until the new ones come.
    afterView_ = std::move(then);
    Views->Start(document, filters, StringGrid->Model().TakeSpareRows(), session_->Hold(), StringGrid->Widths(document));
    return;
  }
  Views->Cancel();
  afterView_ = {};
  StringGrid->ClearGridRows();
  StringGrid->ShowView(document, filters);
  FinishView(preparedWidest.empty() ? nullptr : &preparedWidest);
  if (then) then();
}

void TCorvanelForm::FinishView(const std::vector<int>* widest) {
  // What the find bar last said was about other rows.
  FindStatus->clear();
  if (widest != nullptr) {
    StringGrid->FitColumnWidths(kColumnPad, *widest);
  } else {
    StringGrid->FitColumnWidths(kColumnPad);
  }
  if (StringGrid->RowCount() > 1) StringGrid->SetFixedRows(1);
  SetStatusText(1, QString("Показано строк: %1 из %2").arg(StringGrid->RowCount() - 1).arg(session_->Current().RecordCount()));
  UpdateTimeline();
  emit ViewShown();
}

}  // namespace vantorel
