// What a desktop table viewer is expected to do, around the window's own controls: copy and
// save the rows, find text in them, open journals named on the command line or dropped on
// the window.
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <vector>

#include "document/RowExport.h"
#include "journals/Extension.h"
#include "journals/FileWrite.h"
#include "platform/DisplayText.h"
#include "uStrUtils/AppError.h"
#include "views/MarkGutter.h"
#include "window/RussianFileSizes.h"
#include "window/CorvanelForm.h"

namespace vantorel {
namespace {

constexpr const char* kTsvFilter = "Текст с разделителями-табуляциями (*.tsv)";
constexpr const char* kCsvFilter = "CSV (*.csv)";
constexpr const char* kCsvExcelFilter = "CSV для Excel (*.csv)";
constexpr const char* kXlsxFilter = "Книга Excel (*.xlsx)";
// A search looks at this many rows between two looks at the clock.

// The find bar's line: Enter finds the next row, Shift+Enter the one before, Esc closes.
class FindLine : public QLineEdit {
 public:
  FindLine(TCorvanelForm* form, QWidget* parent) : QLineEdit(parent), form_(form) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      form_->FindNext(!(event->modifiers() & Qt::ShiftModifier));
      return;
    }
    if (event->key() == Qt::Key_Escape) {
      form_->HideFindBar();
      return;
    }
    QLineEdit::keyPressEvent(event);
  }

 private:
  TCorvanelForm* form_;
};

// The local files and folders a drag brings; none when any of them is not local.
QStringList DraggedFiles(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  QStringList paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    paths.append(url.toLocalFile());
  }
  return paths;
}

}  // namespace

void TCorvanelForm::CreateDeskControls() {
  CopyRows = new QAction("Копировать", this);
  CopyRows->setObjectName("CopyRows");
  CopyRows->setShortcut(QKeySequence::Copy);
  CopyRows->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  CopyRowsWithTitles = new QAction("Копировать с заголовками", this);
  CopyRowsWithTitles->setObjectName("CopyRowsWithTitles");
  SaveShownRows = new QAction("Сохранить показанные строки…", this);
  SaveShownRows->setObjectName("SaveShownRows");
  Refresh = new QAction("Обновить", this);
  Refresh->setObjectName("Refresh");
  Refresh->setShortcut(QKeySequence(Qt::Key_F5));
  Refresh->setShortcutContext(Qt::WindowShortcut);
  addAction(Refresh);
  FollowFile = new QAction("Следить за файлом", this);
  FollowFile->setObjectName("FollowFile");
  FollowFile->setCheckable(true);
  ShowTimeline = new QAction("Шкала времени", this);
  ShowTimeline->setObjectName("ShowTimeline");
  ShowTimeline->setCheckable(true);
  ShowTimeline->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  ShowTimeline->setShortcutContext(Qt::WindowShortcut);
  addAction(ShowTimeline);
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  StringGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
  StringGrid->addActions({CopyRows, CopyRowsWithTitles, SaveShownRows, separator, Refresh, FollowFile, ShowTimeline});
  Views = new ViewMaker(this);
  connect(Views, &ViewMaker::Ready, this, [this](const JournalDocument& document, RowSet& rows, const std::vector<int>& widest) {
    Guarded([&] {
      if (&document != &session_->Current()) return;
      StringGrid->Model().ShowPrepared(document, std::move(rows));
      if (StringGrid->RowCount() == 1) StringGrid->SetFixedRows(0);
      FinishView(&widest);
      if (std::function<void()> then = std::move(afterView_)) then();
    });
  });
  connect(Views, &ViewMaker::Failed, this, [this](const QByteArray& error) {
    Guarded([&error] { throw AppError(error.toStdString()); });
  });
  // The rows a selection under way is for are about to go.
  connect(session_, &JournalSession::LoadBegins, Views, &ViewMaker::Cancel);
  connect(session_, &JournalSession::ReleaseRows, Views, &ViewMaker::Cancel);

  Timeline = new TimelineStrip(centralWidget());
  Timeline->setObjectName("Timeline");
  Timeline->hide();
  if (auto* column = qobject_cast<QVBoxLayout*>(centralWidget()->layout())) {
    column->insertWidget(column->indexOf(StringGrid), Timeline);
  }
  connect(ShowTimeline, &QAction::toggled, this, [this](bool on) {
    Timeline->setVisible(on);
    if (on) Guarded([this] { UpdateTimeline(); });
  });
  connect(Timeline, &TimelineStrip::WindowChosen, this, [this](int start, int end) {
    Guarded([this, start, end] {
      if (IsLoading()) return;
      {
        const QSignalBlocker blockStart(StartTime), blockEnd(EndTime);
        StartTime->setTime(QTime::fromMSecsSinceStartOfDay(start * 1000));
        EndTime->setTime(QTime::fromMSecsSinceStartOfDay(end * 1000));
      }
      // As a change of the pickers would.
      StartTimeChange();
      UpdateTimeline();
    });
  });
  connect(Refresh, &QAction::triggered, this, [this] { Guarded([this] { RefreshClick(); }); });
  connect(FollowFile, &QAction::triggered, this, [this](bool on) { Guarded([this, on] {
    SetFollowing(on);
    FollowCheck();
  }); });
  Finder = new RowFinder(this);
  // A search looks at the shown rows: a new view ends it.
  connect(&StringGrid->Model(), &QAbstractItemModel::modelAboutToBeReset, Finder, &RowFinder::Cancel);
  connect(Finder, &RowFinder::Found, this, [this](ShownRow row, int column) {
    FindStatus->clear();
    StringGrid->GoToMatch(row, column);
    emit FindEnded();
  });
  connect(Finder, &RowFinder::NotFound, this, [this] {
    FindStatus->setText("Не найдено");
    emit FindEnded();
  });
  Copier = new RowCopier(this);
  // The rows and their document may change once the model is reset.
  connect(&StringGrid->Model(), &QAbstractItemModel::modelAboutToBeReset, Copier, &RowCopier::Cancel);
  connect(Copier, &RowCopier::Progress, this, [this](size_t done, size_t total) {
    StatusBar->showMessage(QString("Копирование строк: %1 из %2").arg(done).arg(total));
  });
  connect(Copier, &RowCopier::Finished, this, [this](const QString& text) {
    StatusBar->clearMessage();
    QApplication::clipboard()->setText(text);
  });
  connect(Copier, &RowCopier::Cancelled, StatusBar, &QStatusBar::clearMessage);
  connect(CopyRows, &QAction::triggered, this, [this] { Guarded([this] { CopyClick(false); }); });
  connect(CopyRowsWithTitles, &QAction::triggered, this, [this] { Guarded([this] { CopyClick(true); }); });
  connect(SaveShownRows, &QAction::triggered, this, [this] { Guarded([this] { SaveRowsClick(); }); });
  Saver = new RowSaver(this);
  // A save takes the rows shown when it began: only a change of the journal drops it.
  connect(session_, &JournalSession::LoadBegins, Saver, &RowSaver::JournalChanging);
  connect(session_, &JournalSession::ReleaseRows, Saver, &RowSaver::JournalChanging);
  connect(Saver, &RowSaver::Progress, this, [this](size_t written, size_t total) {
    StatusBar->showMessage(QString(Saver->Workbook() ? "Сохранение книги: %1 из %2 строк" : "Сохранение строк: %1 из %2")
                               .arg(written)
                               .arg(total));
  });
  connect(Saver, &RowSaver::Finished, this, [this](size_t rows) {
    StatusBar->showMessage(QString(Saver->Workbook() ? "Книга сохранена, строк: %1" : "Строки сохранены: %1").arg(rows), 5000);
  });
  connect(Saver, &RowSaver::Cancelled, this, [this] {
    StatusBar->showMessage("Сохранение прервано: журнал прочитан заново", 5000);
  });
  connect(Saver, &RowSaver::Failed, this, [this](const QByteArray& message) {
    StatusBar->clearMessage();
    Guarded([&message] { throw AppError(message.toStdString()); });
  });

  runSaveDialog = [](QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
  };

  CreateFindBar();
  CreateMarkCommands();
  setAcceptDrops(true);
}

void TCorvanelForm::CreateFindBar() {
  FindBar = new QWidget(centralWidget());
  FindBar->setObjectName("FindBar");
  auto* row = new QHBoxLayout(FindBar);
  row->setContentsMargins(4, 2, 4, 2);
  auto* caption = new QLabel("Найти:", FindBar);
  FindEdit = new FindLine(this, FindBar);
  FindEdit->setObjectName("FindEdit");
  FindCase = new QToolButton(FindBar);
  FindCase->setObjectName("FindCase");
  FindCase->setText("Аа");
  FindCase->setToolTip("Учитывать регистр");
  FindCase->setCheckable(true);
  FindRegex = new QToolButton(FindBar);
  FindRegex->setObjectName("FindRegex");
  FindRegex->setText(".*");
  FindRegex->setToolTip("Регулярное выражение");
  FindRegex->setCheckable(true);
  ShowMatching = new QPushButton("Показать только такие строки", FindBar);
  ShowMatching->setObjectName("ShowMatching");
  HideMatching = new QPushButton("Скрыть такие строки", FindBar);
  HideMatching->setObjectName("HideMatching");
  FindStatus = new QLabel(FindBar);
  FindStatus->setObjectName("FindStatus");
  row->addWidget(caption);
  row->addWidget(FindEdit, 1);
  row->addWidget(FindCase);
  row->addWidget(FindRegex);
  row->addWidget(ShowMatching);
  row->addWidget(HideMatching);
  row->addWidget(FindStatus);
  FindBar->hide();
  Chips = new FilterChips(centralWidget());
  // Under the table, above the progress bar: the chips, then the find bar.
  if (auto* column = qobject_cast<QVBoxLayout*>(centralWidget()->layout())) {
    column->insertWidget(column->indexOf(StringGrid) + 1, FindBar);
    column->insertWidget(column->indexOf(StringGrid) + 1, Chips);
  }
  connect(FindEdit, &QLineEdit::textEdited, this, [this] { FindStatus->clear(); });
  for (QToolButton* option : {FindCase, FindRegex}) connect(option, &QToolButton::toggled, this, [this] { FindStatus->clear(); });
  connect(ShowMatching, &QPushButton::clicked, this, [this] { Guarded([this] { AddTextFilter(false); }); });
  connect(HideMatching, &QPushButton::clicked, this, [this] { Guarded([this] { AddTextFilter(true); }); });
  connect(Chips, &FilterChips::TextRemoved, this, [this](int index) { Guarded([this, index] { RemoveTextFilter(index); }); });
  connect(Chips, &FilterChips::MarkedOnlyRemoved, this, [this] { MarkedOnly->trigger(); });
  // Esc closes the bar from the table too; the table has no other use for it.
  auto* closeFind = new QShortcut(QKeySequence(Qt::Key_Escape), StringGrid, nullptr, nullptr, Qt::WidgetShortcut);
  connect(closeFind, &QShortcut::activated, this, [this] {
    if (FindBar->isVisible()) HideFindBar();
  });
  auto* find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, [this] { ShowFindBar(); });
  auto* next = new QShortcut(QKeySequence(Qt::Key_F3), this);
  connect(next, &QShortcut::activated, this, [this] { FindNext(true); });
  auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
  connect(previous, &QShortcut::activated, this, [this] { FindNext(false); });
}

void TCorvanelForm::CreateMarkCommands() {
  MarkRows = new QAction("Отметить", this);
  MarkRows->setObjectName("MarkRows");
  MarkRows->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  MarkRows->setShortcutContext(Qt::WindowShortcut);
  NextMark = new QAction("Следующая отметка", this);
  NextMark->setObjectName("NextMark");
  NextMark->setShortcut(QKeySequence(Qt::Key_F2));
  NextMark->setShortcutContext(Qt::WindowShortcut);
  PreviousMark = new QAction("Предыдущая отметка", this);
  PreviousMark->setObjectName("PreviousMark");
  PreviousMark->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F2));
  PreviousMark->setShortcutContext(Qt::WindowShortcut);
  MarkedOnly = new QAction("Только отмеченные", this);
  MarkedOnly->setObjectName("MarkedOnly");
  MarkedOnly->setCheckable(true);
  CopyWithMarks = new QAction("Копировать и сохранять с отметками", this);
  CopyWithMarks->setObjectName("CopyWithMarks");
  CopyWithMarks->setCheckable(true);
  addActions({MarkRows, NextMark, PreviousMark});
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  StringGrid->addActions({separator, MarkRows, NextMark, PreviousMark, MarkedOnly, CopyWithMarks});
  connect(MarkRows, &QAction::triggered, this, [this] { Guarded([this] { MarkClick(); }); });
  connect(NextMark, &QAction::triggered, this, [this] { Guarded([this] { GoToMark(true); }); });
  connect(PreviousMark, &QAction::triggered, this, [this] { Guarded([this] { GoToMark(false); }); });
  connect(MarkedOnly, &QAction::toggled, this, [this] {
    Guarded([this] {
      ShowChips();
      StartTimeChange();
    });
  });
  connect(StringGrid->Gutter(), &MarkGutter::RowClicked, this, [this](int row) {
    Guarded([this, row] {
      const std::optional<RecordIndex> record = StringGrid->Model().RecordOf(ShownRow{static_cast<uint32_t>(row)});
      if (!record) return;
      auto marks = std::make_shared<RecordMarks>(*session_->Marks());
      marks->Set(*record, !marks->Contains(*record));
      session_->SetMarks(std::move(marks));
    });
  });
  connect(session_, &JournalSession::MarksChanged, this, [this] {
    Guarded([this] {
      StringGrid->SetMarks(session_->Marks());
      // The rows shown alone are the marked ones.
      if (MarkedOnly->isChecked()) StartTimeChange();
    });
  });
}

TextFilter TCorvanelForm::FindBarText() const {
  TextFilter text;
  text.text = ToCp1251(FindEdit->text());
  // A character the journals' code page lacks can be in none of their texts.
  text.unwritable = FromCp1251(text.text) != FindEdit->text();
  text.matchCase = FindCase->isChecked();
  text.regex = FindRegex->isChecked();
  return text;
}

void TCorvanelForm::AddTextFilter(bool hide) {
  if (!FindBar->isVisible()) ShowFindBar();
  TextFilter text = FindBarText();
  if (FindEdit->text().isEmpty()) return;
  text.hide = hide;
  // A regular expression RE2 refuses is told now, and no filter is made of it.
  if (!text.unwritable) TextMatcher check(text);
  if (std::find(textFilters_.begin(), textFilters_.end(), text) != textFilters_.end()) return;
  textFilters_.push_back(text);
  ShowChips();
  StartTimeChange();
}

void TCorvanelForm::RemoveTextFilter(int index) {
  if (index < 0 || static_cast<size_t>(index) >= textFilters_.size()) return;
  textFilters_.erase(textFilters_.begin() + index);
  ShowChips();
  StartTimeChange();
}

void TCorvanelForm::ShowChips() { Chips->Show(textFilters_, MarkedOnly->isChecked()); }

void TCorvanelForm::MarkClick() {
  if (IsLoading() || StringGrid->Model().Document() == nullptr) return;
  std::vector<RecordIndex> records = StringGrid->SelectedRecords();
  if (records.empty() && StringGrid->currentIndex().isValid()) {
    if (const auto record = StringGrid->Model().RecordOf(ShownRow{static_cast<uint32_t>(StringGrid->currentIndex().row())})) {
      records.push_back(*record);
    }
  }
  if (records.empty()) return;
  auto marks = std::make_shared<RecordMarks>(*session_->Marks());
  const bool all = std::all_of(records.begin(), records.end(), [&marks](RecordIndex r) { return marks->Contains(r); });
  for (const RecordIndex record : records) marks->Set(record, !all);
  session_->SetMarks(std::move(marks));
}

void TCorvanelForm::GoToMark(bool forward) {
  const RecordMarks& marks = *session_->Marks();
  const RowSet& rows = StringGrid->Model().Rows();
  const size_t shown = static_cast<size_t>(StringGrid->Model().rowCount());
  if (IsLoading() || StringGrid->Model().Document() == nullptr || marks.empty() || shown == 0) {
    StatusBar->showMessage("Отмеченных строк нет", 3000);
    return;
  }
  const uint32_t* begin = rows.rows.begin();
  const uint32_t* end = begin + std::min(rows.rows.size(), shown);
  // The shown row of the first marked record after (before) the current row's, round the ends.
  const int current = StringGrid->currentIndex().isValid() ? StringGrid->currentIndex().row() : -1;
  std::optional<RecordIndex> at;
  if (current >= 0) at = StringGrid->Model().RecordOf(ShownRow{static_cast<uint32_t>(current)});
  for (int lap = 0; lap < 2; ++lap) {
    std::optional<RecordIndex> next = at ? marks.Next(*at, forward) : marks.First(forward);
    for (; next; next = marks.Next(*next, forward)) {
      const uint32_t* row = std::lower_bound(begin, end, next->value);
      if (row != end && *row == next->value) {
        StringGrid->selectRow(static_cast<int>(row - begin));
        return;
      }
    }
    at.reset();
  }
  StatusBar->showMessage("Отмеченных строк среди показанных нет", 3000);
}

void TCorvanelForm::OpenFile(const QString& path) {
  if (path.isEmpty()) return;
  OpenFiles({path});
}

void TCorvanelForm::OpenFiles(const QStringList& paths) {
  if (IsLoading() || paths.isEmpty()) return;
  DropMarkedOnly();
  session_->Open(paths, StartOfView());
  ShowOpened();
}

void TCorvanelForm::OpenFromOutside(const QStringList& paths) {
  if (IsLoading() || paths.isEmpty()) return;
  DropMarkedOnly();
  session_->OpenFromOutside(paths, StartOfView());
  ShowOpened();
}

void TCorvanelForm::DropMarkedOnly() {
  // A journal opened anew has no marks to show alone.
  {
    const QSignalBlocker block(MarkedOnly);
    MarkedOnly->setChecked(false);
  }
  ShowChips();
}

void TCorvanelForm::ShowOpened() {
  // A journal opened anew is not followed until asked.
  FollowFile->setChecked(false);
  lastChosenFile_ = session_->Files().value(0);
  SetStatusText(0, session_->Name());
  StringGrid->Model().SetColoured(DescriptionOf(session_->Kind()).messageField >= 0);
}

void TCorvanelForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!IsLoading() && !DraggedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TCorvanelForm::dropEvent(QDropEvent* event) {
  const QStringList paths = DraggedFiles(event->mimeData());
  if (paths.isEmpty() || IsLoading()) return;
  event->acceptProposedAction();
  Guarded([this, paths] { OpenFromOutside(paths); });
}

void TCorvanelForm::CopyClick(bool withTitles) {
  const JournalDocument* document = StringGrid->Model().Document();
  if (IsLoading()) return;
  if (document == nullptr) {
    Copier->Cancel();
    QApplication::clipboard()->setText(QString());
    return;
  }
  std::vector<RecordIndex> records = StringGrid->SelectedRecords();
  if (records.size() > RowCopier::kRowsAtOnce) StatusBar->showMessage(QString("Копирование строк: 0 из %1").arg(records.size()));
  Copier->Start(*document, std::move(records), withTitles, session_->Hold(),
                CopyWithMarks->isChecked() ? session_->Marks() : nullptr);
}

void TCorvanelForm::SaveRowsClick() {
  const JournalDocument* document = StringGrid->Model().Document();
  if (IsLoading() || document == nullptr) return;
  // Made when first asked for: a file dialog costs the window memory from its start.
  if (SaveDialog == nullptr) {
    SaveDialog = new QFileDialog(this, "Сохранить показанные строки");
    SaveDialog->setObjectName("SaveDialog");
    SaveDialog->setOption(QFileDialog::DontUseNativeDialog, true);
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setFileMode(QFileDialog::AnyFile);
    SaveDialog->setNameFilters({kTsvFilter, kCsvFilter, kCsvExcelFilter, kXlsxFilter});
    SaveDialog->setProxyModel(new RussianFileSizes(SaveDialog));
  }
  if (!lastChosenFile_.isEmpty()) SaveDialog->setDirectory(QFileInfo(lastChosenFile_).absolutePath());
  QString path = runSaveDialog(*SaveDialog);
  if (path.isEmpty()) return;
  const QString suffix = QFileInfo(path).suffix().toLower();
  const QString filter = SaveDialog->selectedNameFilter();
  // The name's own suffix decides between TSV and CSV; the dialog's choice, which CSV.
  RowFormat format = filter == kCsvExcelFilter ? RowFormat::CsvExcel : filter == kCsvFilter ? RowFormat::Csv : RowFormat::Tsv;
  if (suffix == "tsv") format = RowFormat::Tsv;
  if (suffix == "csv" && format == RowFormat::Tsv) format = RowFormat::Csv;
  const bool workbook = suffix == "xlsx" || (filter == kXlsxFilter && suffix != "tsv" && suffix != "csv");
  if (suffix.isEmpty()) path += workbook ? ".xlsx" : format == RowFormat::Tsv ? ".tsv" : ".csv";
  const std::string target = QFile::encodeName(path).toStdString();
  for (const QString& journal : session_->Files()) {
    if (SameFile(target, QFile::encodeName(journal).toStdString())) {
      throw AppError(ToCp1251("Нельзя сохранить строки поверх открытого журнала: выберите другой файл"));
    }
  }
  if (Saver->Busy()) throw AppError(ToCp1251("Предыдущее сохранение ещё идёт: дождитесь его конца"));
  const RowSet& shown = StringGrid->Model().Rows();
  std::vector<uint32_t> records(shown.rows.begin(), shown.rows.end());
  std::shared_ptr<const RecordMarks> marks = CopyWithMarks->isChecked() ? session_->Marks() : nullptr;
  if (!workbook) {
    Saver->Start(*document, std::move(records), target, format, session_->Hold(), std::move(marks));
    return;
  }
  WorkbookLook look;
  look.buttonFace = ButtonFace().rgb() & 0xFFFFFF;
  // The mark column as wide as its title.
  if (marks != nullptr) look.columnPixels.push_back(StringGrid->TextWidth(ToCp1251("Отметка")) + 10);
  for (int c = 0; c < document->ColumnCount(); ++c) look.columnPixels.push_back(StringGrid->columnWidth(c));
  Saver->StartWorkbook(*document, std::move(records), target, look, session_->Hold(), std::move(marks));
}

void TCorvanelForm::UpdateTimeline() {
  if (!Timeline->isVisible()) return;
  Timeline->SetWindow(StartTime->time().msecsSinceStartOfDay() / 1000, EndTime->time().msecsSinceStartOfDay() / 1000);
  if (IsLoading() || session_->Kind() == JournalKind::None) {
    Timeline->SetCounts({}, {}, false);
    return;
  }
  TimelineClickRows clickRows{};
  const TimelineCounts counts = CountTimeline(session_->Current(), ReadFilterState(), &clickRows);
  Timeline->SetCounts(counts, clickRows, DescriptionOf(session_->Kind()).messageField >= 0);
}

void TCorvanelForm::ShowFindBar() {
  FindBar->show();
  FindEdit->setFocus();
  FindEdit->selectAll();
}

void TCorvanelForm::HideFindBar() {
  Finder->Cancel();
  FindBar->hide();
  StringGrid->setFocus();
}

void TCorvanelForm::FindNext(bool forward) {
  if (!FindBar->isVisible()) {
    ShowFindBar();
    return;
  }
  const JournalDocument* document = StringGrid->Model().Document();
  const TextFilter text = FindBarText();
  const size_t count = StringGrid->Model().Rows().size();
  if (IsLoading() || document == nullptr || text.text.empty() || text.unwritable || count == 0) {
    Finder->Cancel();
    FindStatus->setText(text.text.empty() ? QString() : "Не найдено");
    emit FindEnded();
    return;
  }
  const int current = StringGrid->currentIndex().isValid() ? StringGrid->currentIndex().row() : -1;
  try {
    Finder->Start(*document, StringGrid->Model().Rows(), text, current, forward, session_->Hold());
  } catch (const AppError& error) {
    // An expression RE2 refuses: said beside the text.
    FindStatus->setText(FromCp1251(error.Message()));
    emit FindEnded();
    return;
  }
  FindStatus->setText("Поиск…");
}

}  // namespace vantorel
