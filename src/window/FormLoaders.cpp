// Opening a journal: the session loads it beside the window, which shows its titles and
// progress as they come and, at the end, its filter lists and its view.
#include <QFileInfo>
#include <QSignalBlocker>
#include <algorithm>
#include <climits>

#include "journals/TextEndNotice.h"
#include "platform/DisplayText.h"
#include "platform/PickerValues.h"
#include "uStrUtils/AppError.h"
#include "views/JournalTableModel.h"
#include "window/CorvanelForm.h"

namespace vantorel {

void TCorvanelForm::ConnectSession() {
  connect(session_, &JournalSession::LoadBegins, this, [this](JournalKind kind) {
    // The table lets go of the rows it shows before the records of the kind are dropped.
    StringGrid->ClearGridColumns();
    StringGrid->LoadHeaderRow({}, DescriptionOf(kind).columns);
  });
  connect(session_, &JournalSession::TitlesRead, this, [this](const QStringList& titles) {
    StringGrid->LoadHeaderRow(titles, DescriptionOf(session_->LoadKind()).columns);
  });
  connect(session_, &JournalSession::LoadStarted, this, [this](size_t progressMax) { LoadStarted(progressMax); });
  connect(session_, &JournalSession::LoadProgress, this, [this](size_t done, size_t total) { LoadProgress(done, total); });
  connect(session_, &JournalSession::Loaded, this, [this](JournalKind kind, LoadOutcome* outcome, const KeptView* kept) {
    Guarded([&] { LoadFinished(kind, *outcome, kept); });
  });
  connect(session_, &JournalSession::LoadFailed, this, [this](JournalKind, const QByteArray& error, bool tell, bool followed) {
    Guarded([&] { LoadFailed(error, tell, followed); });
  });
  connect(session_, &JournalSession::Reloading, this, [this] { session_->Keep(CaptureView()); });
  connect(session_, &JournalSession::ReleaseRows, this, [this] { StringGrid->ClearGridRows(); });
  connect(session_, &JournalSession::Changed, this, [this](const JournalChange& change) {
    Guarded([&] { FollowChanged(change); });
  });
  connect(session_, &JournalSession::EndDayMoved, this, [this](TDateTime day) {
    Guarded([&] {
      SetPickerDay(EndDate, day);
      RefreshView();
    });
  });
  connect(session_, &JournalSession::FollowFailed, this, [this](const QByteArray& error, bool tell) {
    Guarded([&] {
      ShowNoRecords();
      SetStatusText(0, FromCp1251(error.toStdString()));
      if (tell) ReportError(FromCp1251(error.toStdString()));
    });
  });
  connect(session_, &JournalSession::Gone, this, [this](const QString& name) {
    FollowFile->setChecked(false);
    SetStatusText(0, "Файл удалён: " + name);
  });
}

ViewStart TCorvanelForm::StartOfView() const {
  ViewStart start;
  start.filters = ReadFilterState();
  start.startDate = FromQDate(StartDate->date()) + FromQTime(StartDate->time());
  start.measure = StringGrid->Measure();
  return start;
}

KeptView TCorvanelForm::CaptureView() const {
  KeptView kept;
  kept.filters = ReadFilterState();
  if (const std::optional<ShownRow> top = StringGrid->TopRow()) kept.top = StringGrid->Model().RecordOf(*top);
  kept.selection = StringGrid->SelectedRecords();
  return kept;
}

void TCorvanelForm::LoadStarted(size_t progressMax) {
  ProgressBar->setMaximum(static_cast<int>(std::min<size_t>(progressMax, INT_MAX)));
  ProgressBar->setValue(0);
  ProgressBar->show();
}

void TCorvanelForm::LoadProgress(size_t done, size_t total) {
  ProgressBar->setValue(static_cast<int>(std::min<size_t>(done, INT_MAX)));
  if (DescriptionOf(session_->LoadKind()).countsRecords) SetStatusText(1, QString("Записей: %1/%2").arg(done).arg(total));
}

void TCorvanelForm::SetPickerDay(QDateEdit* picker, TDateTime day) {
  const QDate date = ToQDate(day);
  if (!date.isValid() || date < picker->minimumDate() || date > picker->maximumDate()) {
    throw AppError("Failed to set calendar date or time");
  }
  const QSignalBlocker block(picker);
  picker->setDateTime(QDateTime(date, QTime(0, 0, 0)));
}

void TCorvanelForm::LoadFailed(const QByteArray& error, bool tell, bool followed) {
  // However this ends, the window takes input again and says so.
  struct Ended {
    TCorvanelForm* form;
    ~Ended() { emit form->LoadEnded(); }
  } ended{this};
  ProgressBar->hide();
  const QString text = FromCp1251(error.toStdString());
  if (followed) {
    // Followed, the journal is read again when its files change; until then the window shows
    // no records, and says why.
    ShowNoRecords();
    SetStatusText(0, text);
  }
  if (tell) ReportError(text);
}

void TCorvanelForm::LoadFinished(JournalKind kind, LoadOutcome& outcome, const KeptView* kept) {
  struct Ended {
    TCorvanelForm* form;
    ~Ended() { emit form->LoadEnded(); }
  } ended{this};
  const KindDescription& description = DescriptionOf(kind);
  const JournalDocument& document = session_->Document(kind);
  ProgressBar->hide();
  if (!description.countsRecords) SetStatusText(1, QString("Считано строк: %1").arg(document.RecordCount()));
  HideFilterBoxes();
  // Parameter changes, and several journals of more than one day, take a date range; a
  // journal read again keeps it as set.
  const bool dates = description.dateRange || document.SpansDays();
  if (dates) DataBox->show();
  if (dates && kept == nullptr) {
    SetPickerDay(StartDate, document.Earliest());
    SetPickerDay(EndDate, document.Latest());
  }
  // A reading that ended a failure says again which journals are open.
  SetStatusText(0, session_->Name());
  if (document.Data().Merged()) {
    // The table gains the column that names each record's journal.
    QStringList titles;
    for (const std::string& title : document.ShownTitles()) {
      titles.append(FromCp1251(std::string_view(title).substr(0, JournalTableModel::kPaintedBytes)));
    }
    StringGrid->LoadHeaderRow(titles, document.ColumnCount());
  }
  // A NUL byte that ended a journal's text is told beside its name.
  if (const std::string nul = NulNotice(document.Data()); !nul.empty()) SetStatusText(0, StatusText(0) + " — " + FromCp1251(nul));
  FilterBoxOf(kind)->show();
  const std::array<FilterComboBox*, kMaxLists> lists = ListsOf(kind);
  for (int l = 0; l < description.listCount; ++l) lists[static_cast<size_t>(l)]->Fill(document.List(l));
  StringGrid->AdoptWidths(document, std::move(outcome.widths));
  StringGrid->Model().AdoptRowStorage(document, std::move(outcome.rows), std::move(outcome.rowsFor),
                                      std::move(outcome.widest));
  if (kept == nullptr) {
    RefreshView();
    return;
  }
  RestoreAfterRefresh(*kept);
}

void TCorvanelForm::SelectListsByText(const FilterState& filters) {
  const JournalDocument& document = session_->Current();
  const std::array<FilterComboBox*, kMaxLists> lists = ListsOf(session_->Kind());
  for (int l = 0; l < document.ListCount(); ++l) {
    const ListSelection& kept = filters.lists[static_cast<size_t>(l)];
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

void TCorvanelForm::RestoreAfterRefresh(const KeptView& kept) {
  SelectListsByText(kept.filters);
  RefreshView([this, selection = kept.selection, top = kept.top] {
    StringGrid->SelectRecords(selection);
    if (!top) return;
    // The top row's record, where it still shows.
    const RowSet& rows = StringGrid->Model().Rows();
    const uint32_t* at = std::lower_bound(rows.rows.begin(), rows.rows.end(), top->value);
    if (at != rows.rows.end() && *at == top->value) StringGrid->ScrollToRow(ShownRow{static_cast<uint32_t>(at - rows.rows.begin())});
  });
}

}  // namespace vantorel
