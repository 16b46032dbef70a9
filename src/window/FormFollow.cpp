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
  if (change.moved.empty()) {
    // Records were added after those shown: the view grows, its scroll place and selection kept.
    for (int l = 0; l < document.ListCount(); ++l) lists[static_cast<size_t>(l)]->Extend(document.List(l));
    StringGrid->AppendView(document, ReadFilterState(), change.unchanged);
    FinishView();
    return;
  }
  // Records went or moved among the others: the view is chosen again, and keeps its top row
  // and selection where their records still show.
  auto now = [&change](uint32_t record) -> uint32_t {
    return record < change.unchanged ? record : change.moved[record - change.unchanged];
  };
  KeptView kept = CaptureView();
  std::vector<uint32_t> selection;
  for (uint32_t record : kept.selection) {
    if (now(record) != kGoneRecord) selection.push_back(now(record));
  }
  std::sort(selection.begin(), selection.end());
  kept.selection = std::move(selection);
  kept.top = kept.top < 0 || now(static_cast<uint32_t>(kept.top)) == kGoneRecord ? -1 : now(static_cast<uint32_t>(kept.top));
  StringGrid->RecordsChanged(change.unchanged);
  for (int l = 0; l < document.ListCount(); ++l) lists[static_cast<size_t>(l)]->Fill(document.List(l));
  RestoreAfterRefresh(kept);
}

}  // namespace vantorel
