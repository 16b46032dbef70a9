// A journal its writer goes on appending to: read again on request, or followed as it grows.
#include <QSignalBlocker>
#include <algorithm>

#include "window/CorvanelForm.h"

namespace vantorel {

void TCorvanelForm::RefreshClick() {
  if (IsLoading() || session_->Kind() == JournalKind::None) return;
  session_->Refresh(CaptureView(), StartOfView());
}

void TCorvanelForm::SetFollowing(bool on) {
  if (FollowFile->isChecked() != on) FollowFile->setChecked(on);
  session_->SetFollowing(on);
}

void TCorvanelForm::FollowCheck() { session_->Look(); }

void TCorvanelForm::ShowNoRecords() {
  StringGrid->ClearGridRows();
  const JournalDocument& document = session_->Current();
  const std::array<FilterComboBox*, kMaxLists> lists = ListsOf(session_->Kind());
  for (int l = 0; l < document.ListCount(); ++l) lists[static_cast<size_t>(l)]->Fill(document.List(l));
  RefreshView();
}

void TCorvanelForm::FollowChanged(const JournalChange& change) {
  const JournalDocument& document = session_->Current();
  const std::array<FilterComboBox*, kMaxLists> lists = ListsOf(session_->Kind());
  // Several journals that came to span more than one day: their column shows the date from
  // now on, and the date range comes with their first and last day.
  const bool newDays = document.SpansDays() && DataBox->isHidden();
  if (newDays) {
    SetPickerDay(StartDate, document.Earliest());
    SetPickerDay(EndDate, document.Latest());
    DataBox->show();
    StringGrid->RecordsChanged(0);
  }
  if (change.moved.empty() && !newDays) {
    // Records were added after those shown: the view grows, its scroll place and selection kept.
    for (int l = 0; l < document.ListCount(); ++l) lists[static_cast<size_t>(l)]->Extend(document.List(l));
    StringGrid->AppendView(document, ReadFilterState(), change.unchanged);
    FinishView();
    return;
  }
  // Records went or moved among the others: the view is chosen again, and keeps its top row
  // and selection where their records still show.
  auto now = [&change](RecordIndex record) -> std::optional<RecordIndex> {
    if (change.moved.empty() || record.value < change.unchanged) return record;
    const uint32_t at = change.moved[record.value - change.unchanged];
    if (at == kGoneRecord) return std::nullopt;
    return RecordIndex{at};
  };
  KeptView kept = CaptureView();
  std::vector<RecordIndex> selection;
  for (const RecordIndex record : kept.selection) {
    if (const std::optional<RecordIndex> moved = now(record)) selection.push_back(*moved);
  }
  std::sort(selection.begin(), selection.end());
  kept.selection = std::move(selection);
  if (kept.top) kept.top = now(*kept.top);
  StringGrid->RecordsChanged(newDays ? 0 : change.unchanged);
  for (int l = 0; l < document.ListCount(); ++l) lists[static_cast<size_t>(l)]->Fill(document.List(l));
  RestoreAfterRefresh(kept);
}

}  // namespace vantorel
