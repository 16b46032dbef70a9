#pragma once
// The main window: the filter panel, the journal table, the progress and status bars and
// the three menu commands; it ties the loaders and views of the core to the widgets.
#include <QAction>
#include <QDateEdit>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
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
#include "journals/ActionLog.h"
#include "journals/AlarmLog.h"
#include "journals/Extension.h"
#include "journals/ParamStatLog.h"
#include "views/CellTexts.h"
#include "views/StringGrid.h"
#include "views/ValueFilter.h"
#include "window/FilterComboBox.h"

namespace vantorel {

// The application's title: task bar name and caption of the error report.
inline constexpr const char* kApplicationTitle = "Vantorel for Ostrevane";
inline constexpr const char* kWindowCaption = "Vantorel for Ostrevane v.1.5";
// The open dialog's filter list, pairs of description and pattern.
inline constexpr const char* kOpenDialogFilter =
    "Журнал аварий (*.alarms)|*.alarms|Журнал действий (*.action)|*.action|"
    "Журнал изменений параметров (*.param)|*.param|Журнал статистики (*.stat)|*.stat";

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
  QFileDialog* OpenDialog = nullptr;
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

  // Handlers of the window's events.
  void FormCreate();
  void OpenClick();
  void ShowOliveClick();
  void ExitMenuClick();
  void StartTimeChange();

  // Loads the file with the loader of its exact extension; any other extension loads nothing.
  void OpenLogFile(const QString& fileName);
  void HideFilterBoxes();

  void RefreshAlarmView();
  void RefreshActionView();
  void RefreshParamView();
  void RefreshStatView();

  // The full path of the file last chosen; its extension picks the view and the colours.
  const QString& CurrentLogFile() const { return currentLogFile_; }
  bool IsLoading() const { return loading_; }
  QString StatusText(int panel) const;
  // The directory the open dialog starts in: "Log" beside the program directory, or the
  // program directory itself.
  QString StartDirectory() const;

  const AlarmRecords& Alarms() const { return alarms_; }
  const ActionRecords& Actions() const { return actions_; }
  const ParamRecords& Params() const { return params_; }

  // Replaceable for tests: runs the configured open dialog and returns the chosen full path,
  // or an empty text when the person cancels.
  std::function<QString(QFileDialog&)> runOpenDialog;
  // Replaceable for tests: shows an error report's text (the full stop already added).
  std::function<void(const QString&)> showErrorReport;
  // Replaceable for tests: the program's own directory.
  QString programDirectory;

  // Runs an event handler; an error that escapes it reaches the error report.
  void Guarded(const std::function<void()>& handler);

 signals:
  // Every text written into a status panel, in order.
  void StatusTextChanged(int panel, const QString& text);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  friend class WindowLoadObserver;
  void CreateControls();
  void ConnectEvents();
  void SetStatusText(int panel, const QString& text);
  void LoadAlarmLog(const QString& path);
  void LoadActionLog(const QString& path);
  void LoadParamStatLog(const QString& path);
  void FinishView(const JournalTable* table, std::vector<uint32_t> rows, size_t total);
  void SetPickerDay(QDateEdit* picker, TDateTime day);
  TimeWindow TimeFilter() const;

  DateTimeRules rules_;
  QString currentLogFile_;
  JournalKind currentKind_ = JournalKind::None;
  QString lastChosenFile_;
  AlarmRecords alarms_;
  AlarmLists alarmLists_;
  ActionRecords actions_;
  ActionLists actionLists_;
  ParamRecords params_;
  ParamLists paramLists_;
  AlarmTable alarmTable_;
  ActionTable actionTable_;
  ParamTable paramTable_;
  ParamTable statTable_;
  bool loading_ = false;
  bool closeRequested_ = false;
};

}  // namespace vantorel
