#include "window/CorvanelForm.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>

#include "platform/DisplayText.h"
#include "uStrUtils/AppError.h"
#include "window/ChosenFiles.h"
#include "window/ElidedLabel.h"
#include "window/ErrorReport.h"

namespace vantorel {

TCorvanelForm::TCorvanelForm(const DateTimeRules& rules, QWidget* parent)
    : QMainWindow(parent),
      rules_(rules),
      session_(new JournalSession(rules, this)) {
  programDirectory = QCoreApplication::applicationDirPath();
  runOpenDialog = [](QFileDialog& dialog) {
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    // Nothing of the dialog outlives it: the popup of its file name's completion closes too.
    for (QCompleter* completer : dialog.findChildren<QCompleter*>()) {
      if (completer->popup() != nullptr) completer->popup()->hide();
    }
    return accepted ? OpenChoice(ChosenFiles(dialog)) : OpenChoice();
  };
  showErrorReport = [this](const QString& text) { ShowErrorBox(this, text); };

  CreateControls();
  CreateDeskControls();
  ConnectSession();
  ConnectEvents();
  if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
  Guarded([this] { FormCreate(); });
}

TCorvanelForm::~TCorvanelForm() {
  // The load thread reads nothing of the window, but its end must not outlive the documents.
  session_->Cancel();
  // The controls go after the documents and after this window's own part: what their last
  // events would ask of it is no longer answered.
  destroying_ = true;
  StringGrid->ClearGridColumns();
  for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
}

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
  if (destroying_) return;
  try {
    handler();
  } catch (const std::exception& error) {
    ReportError(FromCp1251(ReportText(MessageOf(error))));
  } catch (...) {
    ReportError(FromCp1251(ReportText("Unknown error")));
  }
}

void TCorvanelForm::ReportError(const QString& text) {
  if (reporting_) return;
  reporting_ = true;
  showErrorReport(text);
  reporting_ = false;
}

void TCorvanelForm::closeEvent(QCloseEvent* event) {
  if (IsLoading()) {
    // The load stops at its next look at the cancel flag and lets go of what it read.
    session_->Cancel();
    ProgressBar->hide();
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
  if (IsLoading() || session_->Kind() == JournalKind::None) return;
  RefreshView();
}

QString TCorvanelForm::StartDirectory() const {
  const QString logDir = QDir::cleanPath(QDir(programDirectory).absoluteFilePath("../Log"));
  if (QFileInfo(logDir).isDir()) return logDir + "/";
  return QDir(programDirectory).absolutePath() + "/";
}

void TCorvanelForm::OpenClick() {
  if (IsLoading()) return;
  const QString shown = StatusText(0);
  SetStatusText(0, QString());
  QFileDialog* dialog = OpenDialog();
  dialog->setDirectory(StartDirectory());
  if (!lastChosenFile_.isEmpty()) dialog->selectFile(lastChosenFile_);
  const QStringList chosen = runOpenDialog(*dialog).paths;
  if (chosen.isEmpty()) return;
  try {
    OpenFiles(chosen);
  } catch (...) {
    // Refused: the window shows what it showed before the dialog.
    SetStatusText(0, shown);
    throw;
  }
}

void TCorvanelForm::HideFilterBoxes() {
  for (QWidget* box : std::initializer_list<QWidget*>{FilterBoxAct, FilterBoxAlert, FilterBoxParam, EmptyBox, DataBox}) {
    box->hide();
  }
}

namespace {

QString NameOf(std::string_view name) { return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())); }

}  // namespace

QGroupBox* TCorvanelForm::FilterBoxOf(JournalKind kind) const {
  return findChild<QGroupBox*>(NameOf(DescriptionOf(kind).filterBox));
}

std::array<FilterComboBox*, kMaxLists> TCorvanelForm::ListsOf(JournalKind kind) const {
  const KindDescription& description = DescriptionOf(kind);
  std::array<FilterComboBox*, kMaxLists> lists{};
  for (int l = 0; l < description.listCount; ++l) {
    lists[static_cast<size_t>(l)] = findChild<FilterComboBox*>(NameOf(description.lists[l].name));
  }
  return lists;
}

QString TCorvanelForm::StatusText(int panel) const { return StatusPanels[static_cast<size_t>(panel)]->text(); }

void TCorvanelForm::SetStatusText(int panel, const QString& text) {
  if (auto* elided = qobject_cast<ElidedLabel*>(StatusPanels[static_cast<size_t>(panel)])) {
    elided->SetWholeText(text);
  } else {
    StatusPanels[static_cast<size_t>(panel)]->setText(text);
  }
  emit StatusTextChanged(panel, text);
}

}  // namespace vantorel
