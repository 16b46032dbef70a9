#include "window/CorvanelForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>

#include "journals/Extension.h"
#include "uStrUtils/AppError.h"
#include "views/CellPainter.h"
#include "views/DisplayText.h"
#include "window/ErrorReport.h"

namespace vantorel {

TCorvanelForm::TCorvanelForm(const DateTimeRules& rules, QWidget* parent)
    : QMainWindow(parent),
      rules_(rules),
      alarmTable_(alarms_, rules_.regional),
      actionTable_(actions_, rules_.regional),
      paramTable_(params_, rules_.regional, true),
      statTable_(params_, rules_.regional, false) {
  programDirectory = QCoreApplication::applicationDirPath();
  runOpenDialog = [](QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
  };
  showErrorReport = [this](const QString& text) { ShowErrorBox(this, text); };

  CreateControls();
  StringGrid->Painter().SetIsAlarmJournal(
      [this] { return currentKind_ == JournalKind::Alarms; });
  ConnectEvents();
  if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
  Guarded([this] { FormCreate(); });
}

TCorvanelForm::~TCorvanelForm() = default;

void TCorvanelForm::ConnectEvents() {
  connect(Open, &QAction::triggered, this, [this] { Guarded([this] { OpenClick(); }); });
  connect(ShowOlive, &QAction::triggered, this, [this] { Guarded([this] { ShowOliveClick(); }); });
  connect(ExitMenu, &QAction::triggered, this, [this] { Guarded([this] { ExitMenuClick(); }); });
  auto change = [this] { Guarded([this] { StartTimeChange(); }); };
  for (QDateTimeEdit* picker : std::initializer_list<QDateTimeEdit*>{StartTime, EndTime, StartDate, EndDate}) {
    connect(picker, &QDateTimeEdit::dateTimeChanged, this, change);
  }
  for (FilterComboBox* combo : {GroupCB, NameCB, PortCB, UserCB, ActCB, GroupCB2, NameCb2, PortCB2, ParamCB}) {
    connect(combo, &FilterComboBox::UserChanged, this, change);
  }
}

void TCorvanelForm::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const LoadAborted&) {
    // The window is closing; the load that was under way has let go of everything.
  } catch (const std::exception& error) {
    showErrorReport(FromCp1251(ReportText(MessageOf(error))));
  } catch (...) {
    showErrorReport(FromCp1251(ReportText("Unknown error")));
  }
  if (closeRequested_ && !loading_) {
    closeRequested_ = false;
    close();
  }
}

void TCorvanelForm::closeEvent(QCloseEvent* event) {
  if (loading_) {
    // A load is under way: it stops at its next progress report, then the window closes.
    closeRequested_ = true;
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void TCorvanelForm::FormCreate() { ShowOlive->trigger(); }

void TCorvanelForm::ShowOliveClick() {
  ShowOlive->setIcon(ImageList1[ShowOlive->isChecked() ? 3 : 2]);
  StartTimeChange();
}

void TCorvanelForm::ExitMenuClick() { close(); }

void TCorvanelForm::StartTimeChange() {
  // Filter changes during a load wait for the view that ends it.
  if (loading_) return;
  switch (currentKind_) {
    case JournalKind::Alarms: RefreshAlarmView(); break;
    case JournalKind::Action: RefreshActionView(); break;
    case JournalKind::Param: RefreshParamView(); break;
    case JournalKind::Stat: RefreshStatView(); break;
    case JournalKind::None: break;
  }
}

QString TCorvanelForm::StartDirectory() const {
  const QString logDir = QDir::cleanPath(QDir(programDirectory).absoluteFilePath("../Log"));
  if (QFileInfo(logDir).isDir()) return logDir + "/";
  return QDir(programDirectory).absolutePath() + "/";
}

void TCorvanelForm::OpenClick() {
  if (loading_) return;
  SetStatusText(0, QString());
  OpenDialog->setDirectory(StartDirectory());
  if (!lastChosenFile_.isEmpty()) OpenDialog->selectFile(lastChosenFile_);
  const QString chosen = runOpenDialog(*OpenDialog);
  if (chosen.isEmpty()) return;
  lastChosenFile_ = QFileInfo(chosen).absoluteFilePath();
  SetStatusText(0, "Открыт файл: " + QFileInfo(chosen).fileName());
  currentLogFile_ = lastChosenFile_;
  // Worked out once here, not on every cell painted.
  currentKind_ = KindOfPath(currentLogFile_.toStdString());
  OpenLogFile(currentLogFile_);
}

void TCorvanelForm::OpenLogFile(const QString& fileName) {
  switch (KindOfPath(fileName.toStdString())) {
    case JournalKind::Alarms: LoadAlarmLog(fileName); break;
    case JournalKind::Action: LoadActionLog(fileName); break;
    case JournalKind::Param:
    case JournalKind::Stat: LoadParamStatLog(fileName); break;
    case JournalKind::None: break;
  }
}

void TCorvanelForm::HideFilterBoxes() {
  for (QWidget* box : std::initializer_list<QWidget*>{FilterBoxAct, FilterBoxAlert, FilterBoxParam, EmptyBox, DataBox}) {
    box->hide();
  }
}

QString TCorvanelForm::StatusText(int panel) const { return StatusPanels[static_cast<size_t>(panel)]->text(); }

void TCorvanelForm::SetStatusText(int panel, const QString& text) {
  StatusPanels[static_cast<size_t>(panel)]->setText(text);
  emit StatusTextChanged(panel, text);
}

}  // namespace vantorel
