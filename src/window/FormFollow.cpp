// A journal its writer goes on appending to: read again on request, or followed as it grows.
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "platform/DisplayText.h"
#include "uStrUtils/AppError.h"
#include "window/CorvanelForm.h"

namespace vantorel {
void TCorvanelForm::RefreshClick() {
  if (loading_ || currentKind_ == JournalKind::None) return;
  keptFilters_ = ReadFilterState();
  const QModelIndex top = StringGrid->indexAt(QPoint(0, 0));
  keptTop_ = top.isValid() ? StringGrid->Model().RecordOf(top.row()) : -1;
  keptSelection_ = StringGrid->SelectedRecords();
  refreshing_ = true;
  OpenLogFile(currentLogFile_);
}

void TCorvanelForm::RestoreAfterRefresh() {
  const JournalDocument& document = *Slot(currentKind_);
  const std::array<FilterComboBox*, kMaxLists> lists = ListsOf(currentKind_);
  for (int l = 0; l < document.ListCount(); ++l) {
    const ListSelection& kept = keptFilters_.lists[static_cast<size_t>(l)];
    const int item = kept.index > 0 ? document.Data().lists[static_cast<size_t>(l)].Find(kept.text) : 0;
    lists[static_cast<size_t>(l)]->setCurrentIndex(std::max(item, 0));
  }
}

void TCorvanelForm::SetFollowing(bool on) {
  if (FollowFile->isChecked() != on) FollowFile->setChecked(on);
  if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
  if (on && !currentLogFile_.isEmpty()) {
    watcher_->addPath(currentLogFile_);
    followTimer_->start();
  } else {
    followTimer_->stop();
  }
}

void TCorvanelForm::FollowCheck() {
  if (!FollowFile->isChecked() || loading_ || currentKind_ == JournalKind::None) return;
  // A file replaced under its name is watched anew.
  if (watcher_->files().isEmpty() && QFileInfo::exists(currentLogFile_)) watcher_->addPath(currentLogFile_);
  JournalDocument& document = *Slot(currentKind_);
  std::string added;
  switch (LookAtFile(QFile::encodeName(currentLogFile_).toStdString(), document.Data(), added)) {
    case FileChange::Same:
      return;
    case FileChange::Gone:
      SetFollowing(false);
      SetStatusText(0, "Файл удалён: " + QFileInfo(currentLogFile_).fileName());
      return;
    case FileChange::Rewritten:
      RefreshClick();
      return;
    case FileChange::Grew:
      break;
  }
  const size_t before = document.RecordCount();
  const Growth growth = document.Grow(added, rules_);
  if (growth.reload) {
    RefreshClick();
    return;
  }
  if (growth.added > 0) {
    const std::array<FilterComboBox*, kMaxLists> lists = ListsOf(currentKind_);
    for (int l = 0; l < document.ListCount(); ++l) lists[static_cast<size_t>(l)]->Extend(document.List(l));
    StringGrid->AppendView(document, ReadFilterState(), before);
    FinishView();
  }
  if (!growth.error.empty()) {
    SetFollowing(false);
    throw AppError(growth.error);
  }
}

}  // namespace vantorel
