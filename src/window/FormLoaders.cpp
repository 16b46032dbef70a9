// Opening a journal: the core loader reads it, the window shows its progress, its titles,
// its filter lists and, at the end, its view.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalBlocker>

#include "journals/Extension.h"
#include "uStrUtils/AppError.h"
#include "views/DisplayText.h"
#include "window/CorvanelForm.h"
#include "window/PickerValues.h"

namespace vantorel {

// Shows a load's progress and lets the window breathe: pending events are handled after the
// first record, then about every 16 ms, and after the last record, not after every line.
class WindowLoadObserver : public LoadObserver {
 public:
  WindowLoadObserver(TCorvanelForm& form, int columns, bool showCount)
      : form_(form), columns_(columns), showCount_(showCount) {
    sinceYield_.start();
  }

  void Titles(const std::vector<std::string>& titles) override {
    QStringList texts;
    for (const std::string& title : titles) texts.append(FromCp1251(title));
    form_.StringGrid->LoadHeaderRow(texts, columns_);
  }

  void Started(size_t progressMax) override {
    form_.ProgressBar->setMaximum(static_cast<int>(std::min<size_t>(progressMax, INT_MAX)));
    form_.ProgressBar->setValue(0);
    form_.ProgressBar->show();
  }

  void Progress(size_t done, size_t total) override {
    if (done != 1 && done != total && sinceYield_.elapsed() < 16) return;
    form_.ProgressBar->setValue(static_cast<int>(std::min<size_t>(done, INT_MAX)));
    if (showCount_) form_.SetStatusText(1, QString("Записей: %1/%2").arg(done).arg(total));
    Breathe();
  }

  void Breathe() {
    QApplication::processEvents();
    sinceYield_.restart();
    if (form_.closeRequested_) throw LoadAborted();
  }

 private:
  TCorvanelForm& form_;
  int columns_;
  bool showCount_;
  QElapsedTimer sinceYield_;
};

namespace {

// Marks the window as loading for as long as a load runs. The array of the load's kind is
// dropped at the start and again if the load fails, so it is never half old and half new;
// however the load ends, the progress bar is hidden.
class LoadScope {
 public:
  LoadScope(bool& loading, QProgressBar* bar, std::function<void()> dropRecords)
      : loading_(loading), bar_(bar), dropRecords_(std::move(dropRecords)) {
    loading_ = true;
    dropRecords_();
  }
  ~LoadScope() {
    if (!done_) {
      dropRecords_();
      bar_->hide();
    }
    loading_ = false;
  }
  void Done() {
    done_ = true;
    loading_ = false;
  }

 private:
  bool& loading_;
  QProgressBar* bar_;
  std::function<void()> dropRecords_;
  bool done_ = false;
};

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

void TCorvanelForm::LoadAlarmLog(const QString& path) {
  // The table lets go of the rows it shows before their records are dropped.
  StringGrid->ClearGridColumns();
  LoadScope scope(loading_, ProgressBar, [this] {
    alarms_ = {};
    alarmLists_ = {};
  });
  StringGrid->LoadHeaderRow({}, kAlarmColumns);
  WindowLoadObserver observer(*this, kAlarmColumns, true);
  AlarmLoad load = vantorel::LoadAlarmLog(LocalPath(path), rules_, observer);
  alarms_ = std::move(load.records);
  alarmLists_ = std::move(load.lists);

  HideFilterBoxes();
  FilterBoxAlert->show();
  GroupCB->Fill(alarmLists_.groups);
  NameCB->Fill(alarmLists_.nodes);
  PortCB->Fill(alarmLists_.ports);
  ProgressBar->hide();
  observer.Breathe();
  scope.Done();
  RefreshAlarmView();
}

void TCorvanelForm::LoadActionLog(const QString& path) {
  // The table lets go of the rows it shows before their records are dropped.
  StringGrid->ClearGridColumns();
  LoadScope scope(loading_, ProgressBar, [this] {
    actions_ = {};
    actionLists_ = {};
  });
  StringGrid->LoadHeaderRow({}, kActionColumns);
  WindowLoadObserver observer(*this, kActionColumns, false);
  ActionLoad load = vantorel::LoadActionLog(LocalPath(path), rules_, observer);
  actions_ = std::move(load.records);
  actionLists_ = std::move(load.lists);

  SetStatusText(1, QString("Считано строк: %1").arg(actions_.size()));
  HideFilterBoxes();
  FilterBoxAct->show();
  UserCB->Fill(actionLists_.users);
  ActCB->Fill(actionLists_.actions);
  ProgressBar->hide();
  observer.Breathe();
  scope.Done();
  RefreshActionView();
}

void TCorvanelForm::SetPickerDay(QDateEdit* picker, TDateTime day) {
  const QDate date = ToQDate(day);
  if (!date.isValid() || date < picker->minimumDate() || date > picker->maximumDate()) {
    throw AppError("Failed to set calendar date or time");
  }
  const QSignalBlocker block(picker);
  picker->setDateTime(QDateTime(date, QTime(0, 0, 0)));
}

void TCorvanelForm::LoadParamStatLog(const QString& path) {
  // The table lets go of the rows it shows before their records are dropped.
  StringGrid->ClearGridColumns();
  LoadScope scope(loading_, ProgressBar, [this] {
    params_ = {};
    paramLists_ = {};
  });
  const bool isParam = KindOfPath(path.toStdString()) == JournalKind::Param;
  const TDateTime startDate = FromQDate(StartDate->date()) + FromQTime(StartDate->time());
  StringGrid->LoadHeaderRow({}, kParamColumns);
  WindowLoadObserver observer(*this, kParamColumns, true);
  ParamLoad load = vantorel::LoadParamStatLog(LocalPath(path), startDate, rules_, observer);
  params_ = std::move(load.records);
  paramLists_ = std::move(load.lists);

  HideFilterBoxes();
  if (isParam) {
    DataBox->show();
    SetPickerDay(StartDate, load.earliest);
    SetPickerDay(EndDate, load.latest);
  }
  FilterBoxParam->show();
  GroupCB2->Fill(paramLists_.groups);
  NameCb2->Fill(paramLists_.nodes);
  PortCB2->Fill(paramLists_.ports);
  ParamCB->Fill(paramLists_.params);
  ProgressBar->hide();
  observer.Breathe();
  scope.Done();
  if (isParam) {
    RefreshParamView();
  } else {
    RefreshStatView();
  }
}

}  // namespace vantorel
