// Opening a journal: the load runs beside the window, which shows its titles and progress as
// they come and, at the end, its filter lists and its view.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalBlocker>
#include <algorithm>
#include <climits>

#include "journals/Extension.h"
#include "journals/TextEndNotice.h"
#include "platform/DisplayText.h"
#include "platform/PickerValues.h"
#include "uStrUtils/AppError.h"
#include "views/JournalTableModel.h"
#include "window/CorvanelForm.h"

namespace vantorel {

QStringList JournalNames(const QStringList& paths) {
  QStringList names;
  for (const QString& path : paths) names.append(QFileInfo(path).fileName());
  QStringList shown = names;
  for (qsizetype i = 0; i < paths.size(); ++i) {
    if (names.count(names[i]) > 1) shown[i] = QFileInfo(paths[i]).absoluteDir().dirName() + "/" + names[i];
  }
  return shown;
}

void TCorvanelForm::OpenLogFile(const QString& fileName) { OpenLogFiles({fileName}); }

void TCorvanelForm::OpenLogFiles(const QStringList& fileNames) {
  const JournalKind kind = KindOfPath(fileNames.first().toStdString());
  if (kind == JournalKind::None) return;
  // The table lets go of the rows it shows before the records of the kind are dropped.
  StringGrid->ClearGridColumns();
  StringGrid->LoadHeaderRow({}, DescriptionOf(kind).columns);
  LoadRequest request;
  for (const QString& fileName : fileNames) request.paths.push_back(QFile::encodeName(fileName).toStdString());
  if (fileNames.size() > 1) {
    for (const QString& name : JournalNames(fileNames)) request.names.push_back(ToCp1251(name));
  }
  request.kind = kind;
  request.rules = rules_;
  request.startDate = FromQDate(StartDate->date()) + FromQTime(StartDate->time());
  request.measure = StringGrid->Measure();
  if (!refreshing_) {
    // A journal opened anew shows every value of its lists: the rows of that view are chosen
    // beside the window, and the view takes them if the filters are still those at its end.
    FilterState first;
    first.startTime = FromQTime(StartTime->time());
    first.endTime = FromQTime(EndTime->time());
    first.startDate = FromQDate(StartDate->date());
    first.endDate = FromQDate(EndDate->date());
    const KindDescription& description = DescriptionOf(kind);
    for (int l = 0; l < description.listCount; ++l) {
      first.lists[static_cast<size_t>(l)] = {0, Cp1251Literals().*description.lists[l].allValues};
    }
    first.showUnimportant = ShowOlive->isChecked();
    request.firstView = first;
  }
  session_->Load(std::move(request));
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

void TCorvanelForm::DropLoad() {
  refreshing_ = false;
  ProgressBar->hide();
}

void TCorvanelForm::SetPickerDay(QDateEdit* picker, TDateTime day) {
  const QDate date = ToQDate(day);
  if (!date.isValid() || date < picker->minimumDate() || date > picker->maximumDate()) {
    throw AppError("Failed to set calendar date or time");
  }
  const QSignalBlocker block(picker);
  picker->setDateTime(QDateTime(date, QTime(0, 0, 0)));
}

void TCorvanelForm::LoadFinished(LoadOutcome& outcome) {

  // However this ends, the window takes input again and says so.
  struct Ended {
    TCorvanelForm* form;
    ~Ended() { emit form->LoadEnded(); }
  } ended{this};
  const JournalKind loadKind = session_->LoadKind();
  if (outcome.document == nullptr) {
    session_->Finish(outcome);
    DropLoad();
    if (FollowFile->isChecked() && loadKind == currentKind_) {
      // Followed, the journal is read again when its file changes; until then the window
      // shows no records, and the same failure is not reported twice.
      ShowNoRecords();
      SetStatusText(0, FromCp1251(outcome.error));
      if (outcome.error == followError_) return;
      followError_ = outcome.error;
    }
    ReportError(FromCp1251(outcome.error));
    return;
  }
  followError_.clear();
  const KindDescription& kind = DescriptionOf(loadKind);
  const JournalDocument& read = *outcome.document;
  try {
    if (!kind.countsRecords) SetStatusText(1, QString("Считано строк: %1").arg(read.RecordCount()));
    HideFilterBoxes();
    // A journal read again keeps the date range as set.
    if (kind.dateRange) DataBox->show();
    if (kind.dateRange && !refreshing_) {
      SetPickerDay(StartDate, read.Earliest());
      SetPickerDay(EndDate, read.Latest());
    }
  } catch (...) {
    outcome.document.reset();
    session_->Finish(outcome);
    DropLoad();
    throw;
  }
  lastDay_ = WholeDay(read.Latest());
  if (read.Data().Merged()) {
    // The files in the order of their journals' first records; the table gains the column
    // that names each record's journal.
    journalFiles_.clear();
    for (const auto& source : outcome.sources) journalFiles_.append(QFile::decodeName(QByteArray::fromStdString(source->Path())));
    currentLogFile_ = journalFiles_.first();
    QStringList names, titles;
    for (const std::string& name : read.Data().journalNames) names.append(FromCp1251(name));
    ShowJournalSet(names);
    for (const std::string& title : read.ShownTitles()) {
      titles.append(FromCp1251(std::string_view(title).substr(0, JournalTableModel::kPaintedBytes)));
    }
    StringGrid->LoadHeaderRow(titles, read.ColumnCount());
  }
  // A NUL byte that ended a journal's text is told beside its name.
  if (const std::string nul = NulNotice(read.Data()); !nul.empty()) {
    const QString shown = read.Data().Merged() ? StatusText(0) : "Открыт файл: " + QFileInfo(currentLogFile_).fileName();
    SetStatusText(0, shown + " — " + FromCp1251(nul));
  }
  FilterBoxOf(loadKind)->show();
  const std::array<FilterComboBox*, kMaxLists> lists = ListsOf(loadKind);
  for (int l = 0; l < kind.listCount; ++l) lists[static_cast<size_t>(l)]->Fill(read.List(l));
  session_->Finish(outcome);
  const JournalDocument& document = session_->Document(loadKind);
  ProgressBar->hide();
  StringGrid->AdoptWidths(document, std::move(outcome.widths));
  StringGrid->Model().AdoptRowStorage(document, std::move(outcome.rows), std::move(outcome.rowsFor));
  if (!refreshing_) {
    RefreshView();
    return;
  }
  refreshing_ = false;
  RestoreAfterRefresh();
  RefreshView();
  const RowSet& rows = StringGrid->Model().Rows();
  auto rowOf = [&rows](uint32_t record) {
    const uint32_t* at = std::lower_bound(rows.rows.begin(), rows.rows.end(), record);
    return at != rows.rows.end() && *at == record ? static_cast<int>(at - rows.rows.begin()) + 1 : -1;
  };
  StringGrid->SelectRecords(keptSelection_);
  if (keptTop_ >= 0 && rowOf(static_cast<uint32_t>(keptTop_)) > 0) StringGrid->ScrollToRow(rowOf(static_cast<uint32_t>(keptTop_)));
}

}  // namespace vantorel
