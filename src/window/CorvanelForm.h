#pragma once
// The main window: the filter panel, the journal table, the progress and status bars and
// the three menu commands; it ties the loaders and views of the core to the widgets.
#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>
#include <QToolButton>
#include <QFileDialog>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimeEdit>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "datetime/RegionalSettings.h"
#include "document/FilterState.h"
#include "document/FindText.h"
#include "document/JournalDocument.h"
#include "journals/Extension.h"
#include "views/StringGrid.h"
#include "views/TimelineStrip.h"
#include "window/FilterChips.h"
#include "window/FilterComboBox.h"
#include "window/JournalSession.h"
#include "window/LoadJob.h"
#include "window/RowFinder.h"
#include "window/RowCopier.h"
#include "window/RowSaver.h"
#include "window/ViewMaker.h"

namespace vantorel {

// The application's title: task bar name and caption of the error report.
inline constexpr const char* kApplicationTitle = "Vantorel for Ostrevane";
inline constexpr const char* kWindowCaption = "Vantorel for Ostrevane v.1.5";
// The open dialog's filter list, pairs of description and pattern.
inline constexpr const char* kOpenDialogFilter =
    "Журнал аварий (*.alarms)|*.alarms|Журнал действий (*.action)|*.action|"
    "Журнал изменений параметров (*.param)|*.param|Журнал статистики (*.stat)|*.stat";

// After the dialog's own filters: journals of every kind, under the names log rotation
// leaves them too.
inline constexpr const char* kRotatedJournalsFilter =
    "Журналы всех видов, и после ротации (*.alarms *.action *.param *.stat *.alarms.* *.action.* *.param.* "
    "*.stat.* *.alarms-* *.action-* *.param-* *.stat-*)";

// The files chosen in the open dialog, none when the person cancels.
struct OpenChoice {
  OpenChoice() = default;
  OpenChoice(const QString& path) {
    if (!path.isEmpty()) paths.append(path);
  }
  OpenChoice(const QStringList& chosen) : paths(chosen) {}
  QStringList paths;
};

class TCorvanelForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TCorvanelForm(const DateTimeRules& rules, QWidget* parent = nullptr);
  ~TCorvanelForm() override;

  // Controls, named as the window's layout names them.
  QFrame* Panel = nullptr;
  JournalGrid* StringGrid = nullptr;
  QMenuBar* MainMenu = nullptr;
  QAction* Open = nullptr;
  QStatusBar* StatusBar = nullptr;
  QAction* ExitMenu = nullptr;
  // The open dialog, made when first asked for.
  QFileDialog* OpenDialog();
  QTimeEdit* StartTime = nullptr;
  QTimeEdit* EndTime = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QGroupBox* TimeBox = nullptr;
  QGroupBox* FilterBoxAlert = nullptr;
  FilterComboBox* NameCB = nullptr;
  QLabel* LabelName = nullptr;
  QLabel* LabelSlot = nullptr;
  FilterComboBox* PortCB = nullptr;
  QGroupBox* FilterBoxAct = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  FilterComboBox* UserCB = nullptr;
  FilterComboBox* ActCB = nullptr;
  QGroupBox* EmptyBox = nullptr;
  QLabel* Label6 = nullptr;
  QGroupBox* FilterBoxParam = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label8 = nullptr;
  FilterComboBox* NameCb2 = nullptr;
  FilterComboBox* PortCB2 = nullptr;
  FilterComboBox* ParamCB = nullptr;
  QGroupBox* DataBox = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label10 = nullptr;
  QDateEdit* StartDate = nullptr;
  QDateEdit* EndDate = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QAction* ShowOlive = nullptr;
  std::array<QIcon, 4> ImageList1;
  FilterComboBox* GroupCB = nullptr;
  QLabel* LabelGroup = nullptr;
  FilterComboBox* GroupCB2 = nullptr;
  QLabel* Label11 = nullptr;
  // The status bar's two panels.
  std::array<QLabel*, 2> StatusPanels{};

  // Around the window's own controls: the table's context menu (right button, menu key)...
  QAction* CopyRows = nullptr;            // "Копировать", Ctrl+C
  QAction* CopyRowsWithTitles = nullptr;  // "Копировать с заголовками"
  QAction* SaveShownRows = nullptr;       // "Сохранить показанные строки…"
  QAction* Refresh = nullptr;             // "Обновить", F5
  QAction* FollowFile = nullptr;          // "Следить за файлом"
  QAction* ShowTimeline = nullptr;        // "Шкала времени", Ctrl+T
  QAction* MarkRows = nullptr;            // "Отметить", Ctrl+M: marks or unmarks the selected rows
  QAction* NextMark = nullptr;            // "Следующая отметка", F2
  QAction* PreviousMark = nullptr;        // "Предыдущая отметка", Shift+F2
  QAction* MarkedOnly = nullptr;          // "Только отмеченные"
  QAction* CopyWithMarks = nullptr;       // "Копировать и сохранять с отметками"
  // ... the timeline strip between the filter panel and the table, hidden until asked...
  TimelineStrip* Timeline = nullptr;
  // Made when first used.
  QFileDialog* SaveDialog = nullptr;
  // Saves the shown rows beside the window.
  RowSaver* Saver = nullptr;
  // ... and the find bar under the table, hidden until Ctrl+F.
  QWidget* FindBar = nullptr;
  QLineEdit* FindEdit = nullptr;
  QLabel* FindStatus = nullptr;
  // The find bar's text as a text filter: "Показать только такие строки", "Скрыть такие
  // строки"; letter case counting, the text as a regular expression.
  QPushButton* ShowMatching = nullptr;
  QPushButton* HideMatching = nullptr;
  QToolButton* FindCase = nullptr;
  QToolButton* FindRegex = nullptr;
  // The active text filters, and "Только отмеченные", as chips beside the find bar.
  FilterChips* Chips = nullptr;
  // Puts the copied rows together; dropped when the table's rows are about to change.
  RowCopier* Copier = nullptr;
  // Looks for the find bar's text; a new view or a new search ends an older search.
  RowFinder* Finder = nullptr;
  // Selects the rows of a big journal's view beside the window.
  ViewMaker* Views = nullptr;
  // A journal of this many records or more has its views selected beside the window; smaller
  // ones between two events. Replaceable for tests.
  size_t viewInPlaceRecords = 2000000;

  // Handlers of the window's events.
  void FormCreate();
  void OpenClick();
  void ShowOliveClick();
  void ExitMenuClick();
  void StartTimeChange();

  // Opens `path` as if it had been chosen in the open dialog. Ignored while a load runs.
  void OpenFile(const QString& path);
  // Opens the files chosen together: one as OpenFile does, several of one kind as one journal
  // whose records name their journal. Journals of different kinds are refused and nothing
  // changes. Ignored while a load runs.
  void OpenFiles(const QStringList& paths);
  // Opens what the command line names or what is dropped on the window: files, and folders,
  // each standing for its journals of the kind of its newest journal.
  void OpenFromOutside(const QStringList& paths);
  // Puts the selected rows on the clipboard, the title row first when asked: display texts
  // joined by tabs, a row a line. Many rows are put together a slice at a time, with the
  // progress in the status bar; the clipboard gets them at the end.
  void CopyClick(bool withTitles);
  // Saves the shown rows as TSV, CSV, CSV for a spreadsheet or an Excel workbook, by the
  // dialog's choice; the workbook is written beside the window, its progress in the status bar.
  void SaveRowsClick();
  // Reads the current journal again, keeping the filters as set, each list's selection by its
  // text, and the table's top row and selection where those records still show.
  void RefreshClick();
  // While "Следить за файлом" is on: looks at the files now (as the file system's notices and
  // the second's timer do) and shows what they gained.
  void FollowCheck();
  // The journal's load, its file and the following of it.
  JournalSession& Session() { return *session_; }
  // The timeline strip's bars and shading, for the current journal and filters.
  void UpdateTimeline();
  void ShowFindBar();
  void HideFindBar();
  // Moves to the next (or previous) shown row holding the find bar's text, letter case
  // aside, wrapping round; looks through the rows a slice at a time, so the window stays live.
  void FindNext(bool forward);
  // The find bar's text becomes a text filter: rows that hold it show alone (or hide).
  void AddTextFilter(bool hide);
  void RemoveTextFilter(int index);
  const std::vector<TextFilter>& TextFilters() const { return textFilters_; }
  // Marks the selected rows (the current one, with none selected), or unmarks them when all
  // of them are marked.
  void MarkClick();
  // Goes to the next (previous) shown row of a marked record, round the ends.
  void GoToMark(bool forward);

  void HideFilterBoxes();
  // The view of the current journal: the records that pass the controls' filters, the
  // column widths and the count; then `then`. A big journal's rows are selected beside the
  // window, and the view comes (and `then` runs) once they are ready.
  void RefreshView(std::function<void()> then = {});
  // The filters as the controls hold them, for the lists of the current kind.
  FilterState ReadFilterState() const;

  // The full path of the file last chosen; its extension picks the view and the colours.
  // With several journals open, the first one's.
  QString CurrentLogFile() const { return session_->Files().value(0); }
  // The full paths of the open journals, in the order of their first records once loaded.
  const QStringList& JournalFiles() const { return session_->Files(); }
  bool IsLoading() const { return session_->Loading(); }
  QString StatusText(int panel) const;
  // The directory the open dialog starts in: "Log" beside the program directory, or the
  // program directory itself.
  QString StartDirectory() const;

  // The loaded journal of each record array: alarms, actions, and parameter changes or
  // statistics. A load replaces only its own; one that fails leaves it without records.
  const JournalDocument& Alarms() const { return session_->Document(JournalKind::Alarms); }
  const JournalDocument& Actions() const { return session_->Document(JournalKind::Action); }
  const JournalDocument& Params() const { return session_->Document(JournalKind::Param); }
  // The filter box and value lists of a kind.
  QGroupBox* FilterBoxOf(JournalKind kind) const;
  std::array<FilterComboBox*, kMaxLists> ListsOf(JournalKind kind) const;

  // Replaceable for tests: runs the configured open dialog and returns the chosen full paths,
  // none when the person cancels.
  std::function<OpenChoice(QFileDialog&)> runOpenDialog;
  // Replaceable for tests: runs the configured save dialog and returns the chosen full path,
  // or an empty text when the person cancels.
  std::function<QString(QFileDialog&)> runSaveDialog;
  // Replaceable for tests: shows an error report's text (the full stop already added).
  std::function<void(const QString&)> showErrorReport;
  // Replaceable for tests: the program's own directory.
  QString programDirectory;

  // Runs an event handler; an error that escapes it reaches the error report.
  void Guarded(const std::function<void()>& handler);

 signals:
  // Every text written into a status panel, in order.
  void StatusTextChanged(int panel, const QString& text);
  // A load has ended, with its view or its error report.
  void LoadEnded();
  // A search of the find bar has ended, found or not.
  void FindEnded();
  // A view has come to show: its rows, widths and count.
  void ViewShown();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateControls();
  void CreateDeskControls();
  void ConnectEvents();
  void SetFollowing(bool on);
  // What the session tells of the journal.
  void ConnectSession();
  // Followed, the journal's records changed.
  void FollowChanged(const JournalChange& change);
  // The current kind shows no records: table, lists, count and strip alike.
  void ShowNoRecords();
  // The session opened the files chosen: the window says so.
  void ShowOpened();
  // Unchecks "Только отмеченные" without a new view: the journal about to open has no marks.
  void DropMarkedOnly();
  // What a view starts from: the controls' filters, the start date, the table's font.
  ViewStart StartOfView() const;
  // What a reading again keeps of the view.
  KeptView CaptureView() const;
  // The error report, one at a time: while a box is open, no other opens.
  void ReportError(const QString& text);
  // What every view ends with: the column widths (from `widest`, the widest text of each
  // column when known already), the title row fixed, the count, the timeline.
  void FinishView(const std::vector<int>* widest = nullptr);
  // The find bar's text as a filter, with its case and expression buttons.
  TextFilter FindBarText() const;
  // The chips of the text filters and the marks, after a change of them.
  void ShowChips();
  void CreateFindBar();
  void CreateMarkCommands();
  // After a refresh: the lists' selections by text, the top row and the selection.
  void RestoreAfterRefresh(const KeptView& kept);
  // Each list's selection by the text of `filters`.
  void SelectListsByText(const FilterState& filters);
  void SetStatusText(int panel, const QString& text);
  // The load's reports, on the window's thread.
  void LoadStarted(size_t progressMax);
  void LoadProgress(size_t done, size_t total);
  void LoadFinished(JournalKind kind, LoadOutcome& outcome, const KeptView* kept);
  void LoadFailed(const QByteArray& error, bool tell, bool followed);
  void SetPickerDay(QDateEdit* picker, TDateTime day);

  DateTimeRules rules_;
  JournalSession* session_ = nullptr;
  std::vector<TextFilter> textFilters_;
  // What runs once the view selected beside the window comes.
  std::function<void()> afterView_;
  // The file last chosen, which the open and save dialogs start from.
  QString lastChosenFile_;
  QFileDialog* openDialog_ = nullptr;
  bool destroying_ = false;
  bool reporting_ = false;
};

}  // namespace vantorel
