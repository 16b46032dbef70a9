// A journal its writer goes on appending to: read again on request, or followed as it grows.
#include <QSignalBlocker>
#include <algorithm>

#include "document/ValueFilter.h"
#include "platform/DisplayText.h"
#include "platform/PickerValues.h"
#include "uStrUtils/AppError.h"
#include "window/CorvanelForm.h"

namespace vantorel {
void TCorvanelForm::RefreshClick() {
  if (IsLoading() || currentKind_ == JournalKind::None) return;
  keptFilters_ = ReadFilterState();
  const QModelIndex top = StringGrid->indexAt(QPoint(0, 0));
  keptTop_ = top.isValid() ? StringGrid->Model().RecordOf(top.row()) : -1;
  keptSelection_ = StringGrid->SelectedRecords();
  refreshing_ = true;
  OpenLogFiles(journalFiles_);
}

void TCorvanelForm::RestoreAfterRefresh() {
  const JournalDocument& document = session_->Document(currentKind_);
  const std::array<FilterComboBox*, kMaxLists> lists = ListsOf(currentKind_);
  for (int l = 0; l < document.ListCount(); ++l) {
    const ListSelection& kept = keptFilters_.lists[static_cast<size_t>(l)];
    FilterComboBox* list = lists[static_cast<size_t>(l)];
    const int item = kept.index == 0 ? 0 : document.Data().lists[static_cast<size_t>(l)].Find(kept.text);
    if (item >= 0) {
      list->setCurrentIndex(item);
    } else {
      // Typed text that names no item stays as typed.
      const QSignalBlocker block(list);
      list->setEditText(FromCp1251(kept.text));
    }
  }
}

void TCorvanelForm::SetFollowing(bool on) {
  if (FollowFile->isChecked() != on) FollowFile->setChecked(on);
  session_->SetFollowing(on && !currentLogFile_.isEmpty(), currentKind_);
}

void TCorvanelForm::FollowCheck() { session_->Look(); }

void TCorvanelForm::ShowNoRecords() {
  StringGrid->ClearGridRows();
  session_->MakeEmpty(currentKind_);
  const JournalDocument& document = session_->Document(currentKind_);
  const std::array<FilterComboBox*, kMaxLists> lists = ListsOf(currentKind_);
  for (int l = 0; l < document.ListCount(); ++l) lists[static_cast<size_t>(l)]->Fill(document.List(l));
  RefreshView();
}

void TCorvanelForm::FollowGrew(size_t before, const Growth& growth) {
  if (growth.added > 0) {
    const JournalDocument& document = session_->Document(currentKind_);
    const std::array<FilterComboBox*, kMaxLists> lists = ListsOf(currentKind_);
    for (int l = 0; l < document.ListCount(); ++l) lists[static_cast<size_t>(l)]->Extend(document.List(l));
    // A journal that reached a new day: an end day that was its last day moves with it, and
    // the rows are those of a fresh open; one the operator set stays.
    bool newEndDay = false;
    if (document.Kind().dateRange && WholeDay(document.Latest()) > lastDay_) {
      if (FromQDate(EndDate->date()) == lastDay_) {
        SetPickerDay(EndDate, document.Latest());
        newEndDay = true;
      }
      lastDay_ = WholeDay(document.Latest());
    }
    if (newEndDay) {
      RefreshView();
    } else {
      StringGrid->AppendView(document, ReadFilterState(), before);
      FinishView();
    }
  }
  if (!growth.error.empty()) {
    SetFollowing(false);
    throw AppError(growth.error);
  }
}

}  // namespace vantorel
