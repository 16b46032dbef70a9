// The window's controls: names, places, sizes, texts and start states.
#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "window/CorvanelForm.h"
#include "window/ElidedLabel.h"
#include "window/RussianFileSizes.h"
#include "window/MenuBarStyle.h"
#include "window/MenuGlyphs.h"
#include "window/TimePicker.h"
#include "platform/PickerValues.h"

namespace vantorel {
namespace {

constexpr int kPanelHeight = 121;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry, bool bold = true) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(geometry);
  if (bold) {
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
  }
  // A caption wider in this font than its place grows to the left, keeping its right edge
  // beside the control it names.
  const int needed = label->sizeHint().width();
  if (needed > geometry.width()) {
    const int left = std::max(2, geometry.right() + 1 - needed);
    label->setGeometry(left, geometry.top(), geometry.right() + 1 - left, geometry.height());
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  return label;
}

QGroupBox* MakeBox(QWidget* parent, const char* name, const QString& title, int width) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(name);
  box->setFixedHeight(kPanelHeight);
  if (width > 0) box->setFixedWidth(width);
  return box;
}

FilterComboBox* MakeCombo(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* combo = new FilterComboBox(parent);
  combo->setObjectName(name);
  combo->setGeometry(geometry);
  combo->setEditText(text);
  return combo;
}

}  // namespace

void TCorvanelForm::CreateControls() {
  setObjectName("CorvanelForm");
  setWindowTitle(kWindowCaption);
  setFont(QFont("MS Sans Serif", 8));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Button));
  setPalette(pal);
  setAutoFillBackground(true);

  ImageList1 = MakeRingGlyphs();
  setWindowIcon(ImageList1[1]);

  MainMenu = new QMenuBar(this);
  MainMenu->setObjectName("MainMenu");
  MainMenu->setNativeMenuBar(false);
  auto* menuStyle = new MenuBarStyle();
  menuStyle->setParent(MainMenu);
  MainMenu->setStyle(menuStyle);
  setMenuBar(MainMenu);
  Open = MainMenu->addAction("Открыть журнал");
  Open->setObjectName("Open");
  ShowOlive = MainMenu->addAction("Показывать неважные аварии");
  ShowOlive->setObjectName("ShowOlive");
  ShowOlive->setCheckable(true);
  ShowOlive->setChecked(true);
  ShowOlive->setIcon(ImageList1[3]);
  ExitMenu = MainMenu->addAction("Выход");
  ExitMenu->setObjectName("ExitMenu");

  auto* client = new QWidget(this);
  client->setObjectName("ClientArea");
  setCentralWidget(client);
  auto* column = new QVBoxLayout(client);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  Panel = new QFrame(client);
  Panel->setObjectName("Panel");
  Panel->setFrameShape(QFrame::NoFrame);
  Panel->setFixedHeight(kPanelHeight);
  auto* row = new QHBoxLayout(Panel);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);

  TimeBox = MakeBox(Panel, "TimeBox", "Фильтр по времени", 136);
  Label1 = MakeLabel(TimeBox, "Label1", "ОТ:", {16, 44, 22, 13});
  Label2 = MakeLabel(TimeBox, "Label2", "ДО:", {14, 70, 24, 13});
  StartTime = new TimePicker(TimeBox);
  StartTime->setObjectName("StartTime");
  StartTime->setGeometry(40, 40, 73, 21);
  EndTime = new TimePicker(TimeBox);
  EndTime->setObjectName("EndTime");
  EndTime->setGeometry(40, 66, 73, 21);
  for (QTimeEdit* picker : {StartTime, EndTime}) {
    picker->setDisplayFormat(QtTimeFormat(rules_.regional));
    picker->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  }
  StartTime->setTime(QTime(0, 0, 0));
  EndTime->setTime(QTime(23, 59, 59));
  // A screen reader names each picker by its own label, not by the box round both.
  StartTime->setAccessibleName("ОТ");
  EndTime->setAccessibleName("ДО");

  DataBox = MakeBox(Panel, "DataBox", "Фильтр по дате", 153);
  Label9 = MakeLabel(DataBox, "Label9", "ОТ:", {16, 43, 22, 13});
  Label10 = MakeLabel(DataBox, "Label10", "ДО:", {14, 69, 24, 13});
  StartDate = new QDateEdit(DataBox);
  StartDate->setObjectName("StartDate");
  StartDate->setGeometry(40, 39, 97, 21);
  EndDate = new QDateEdit(DataBox);
  EndDate->setObjectName("EndDate");
  EndDate->setGeometry(40, 65, 97, 21);
  StartDate->setAccessibleName("ОТ");
  EndDate->setAccessibleName("ДО");
  for (QDateEdit* picker : {StartDate, EndDate}) {
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QtDateFormat(rules_.regional));
    picker->setDate(QDate(2013, 11, 25));
  }
  DataBox->hide();

  EmptyBox = MakeBox(Panel, "EmptyBox", "Прочие фильтры", 0);
  Label6 = MakeLabel(EmptyBox, "Label6", "Фильтры отсутствуют", {219, 45, 113, 13}, false);
  Label6->setEnabled(false);

  FilterBoxAlert = MakeBox(Panel, "FilterBoxAlert", "Прочие фильтры", 0);
  LabelGroup = MakeLabel(FilterBoxAlert, "LabelGroup", "Имя группы:", {13, 31, 76, 13});
  LabelName = MakeLabel(FilterBoxAlert, "LabelName", "Имя узла:", {28, 55, 61, 13});
  LabelSlot = MakeLabel(FilterBoxAlert, "LabelSlot", "Плата/Порт:", {13, 81, 76, 13});
  GroupCB = MakeCombo(FilterBoxAlert, "GroupCB", "Все группы", {92, 27, 145, 21});
  NameCB = MakeCombo(FilterBoxAlert, "NameCB", "Все устройства", {92, 51, 145, 21});
  PortCB = MakeCombo(FilterBoxAlert, "PortCB", "Все платы/порты", {92, 77, 145, 21});
  FilterBoxAlert->hide();

  FilterBoxAct = MakeBox(Panel, "FilterBoxAct", "Прочие фильтры", 0);
  Label3 = MakeLabel(FilterBoxAct, "Label3", "Пользователь:", {8, 42, 90, 13});
  Label4 = MakeLabel(FilterBoxAct, "Label4", "Действие:", {35, 67, 63, 13});
  UserCB = MakeCombo(FilterBoxAct, "UserCB", "Все пользователи", {100, 38, 145, 21});
  ActCB = MakeCombo(FilterBoxAct, "ActCB", "Все действия", {100, 63, 145, 21});
  FilterBoxAct->hide();

  FilterBoxParam = MakeBox(Panel, "FilterBoxParam", "Прочие фильтры", 0);
  Label11 = MakeLabel(FilterBoxParam, "Label11", "Имя группы:", {13, 21, 76, 13});
  Label5 = MakeLabel(FilterBoxParam, "Label5", "Имя узла:", {27, 44, 61, 13});
  Label7 = MakeLabel(FilterBoxParam, "Label7", "Плата/Порт:", {12, 69, 76, 13});
  Label8 = MakeLabel(FilterBoxParam, "Label8", "Параметр:", {24, 94, 64, 13});
  GroupCB2 = MakeCombo(FilterBoxParam, "GroupCB2", "Все группы", {92, 17, 145, 21});
  NameCb2 = MakeCombo(FilterBoxParam, "NameCb2", "Все устройства", {92, 40, 145, 21});
  PortCB2 = MakeCombo(FilterBoxParam, "PortCB2", "Все платы/порты", {92, 65, 145, 21});
  ParamCB = MakeCombo(FilterBoxParam, "ParamCB", "Все параметры", {92, 90, 145, 21});
  FilterBoxParam->hide();

  row->addWidget(TimeBox);
  row->addWidget(DataBox);
  // The four right-hand boxes share one place; one at most is visible.
  for (QGroupBox* box : {EmptyBox, FilterBoxAlert, FilterBoxAct, FilterBoxParam}) row->addWidget(box, 1);

  StringGrid = new JournalGrid(client);
  StringGrid->setObjectName("StringGrid");
  StringGrid->setAccessibleName("Записи журнала");
  StringGrid->LoadHeaderRow({}, 6);
  StringGrid->Model().SetEmptyRows(1);
  StringGrid->SetFixedRows(1);

  ProgressBar = new QProgressBar(client);
  ProgressBar->setObjectName("ProgressBar");
  ProgressBar->setFixedHeight(14);
  ProgressBar->setTextVisible(false);
  ProgressBar->hide();

  column->addWidget(Panel);
  column->addWidget(StringGrid, 1);
  column->addWidget(ProgressBar);

  StatusBar = new QStatusBar(this);
  StatusBar->setObjectName("StatusBar");
  StatusBar->setSizeGripEnabled(true);
  StatusBar->setFixedHeight(19);
  const int widths[2] = {250, 150};
  for (int i = 0; i < 2; ++i) {
    // Panel 0's file names may be longer than it: cut in the middle, whole in its tooltip.
    StatusPanels[i] = i == 0 ? new ElidedLabel(StatusBar) : new QLabel(StatusBar);
    StatusPanels[i]->setObjectName(QString("StatusPanel%1").arg(i));
    // The count text may need more room than its panel's width in a larger font.
    StatusPanels[i]->setMinimumWidth(widths[i]);
    if (i == 0) StatusPanels[i]->setMaximumWidth(widths[i]);
    StatusPanels[i]->setFrameShape(QFrame::Panel);
    StatusPanels[i]->setFrameShadow(QFrame::Sunken);
    StatusBar->addWidget(StatusPanels[i]);
  }
  setStatusBar(StatusBar);

  // Tab order inside each box, as the operators know it.
  setTabOrder(EndTime, StartTime);
  setTabOrder(NameCB, PortCB);
  setTabOrder(PortCB, GroupCB);
  setTabOrder(UserCB, ActCB);
  setTabOrder(NameCb2, PortCB2);
  setTabOrder(PortCB2, ParamCB);
  setTabOrder(ParamCB, GroupCB2);


  // The client area of 719 x 451 below the menu bar; the frame adds the rest of 735 x 510.
  const int menuHeight = MainMenu->sizeHint().height();
  setMinimumSize(664, 451 + menuHeight);
  resize(719, 451 + menuHeight);
}

QFileDialog* TCorvanelForm::OpenDialog() {
  // Made when first asked for: a file dialog costs the window megabytes from its start.
  if (openDialog_ != nullptr) return openDialog_;
  openDialog_ = new QFileDialog(this, "Открыть журнал");
  openDialog_->setObjectName("OpenDialog");
  openDialog_->setOption(QFileDialog::DontUseNativeDialog, true);
  openDialog_->setOption(QFileDialog::ReadOnly, false);
  openDialog_->setAcceptMode(QFileDialog::AcceptOpen);
  openDialog_->setFileMode(QFileDialog::AnyFile);
  // A typed name need not exist, and several journals can be chosen together.
  for (const char* view : {"listView", "treeView"}) {
    if (auto* files = openDialog_->findChild<QAbstractItemView*>(view)) files->setSelectionMode(QAbstractItemView::ExtendedSelection);
  }
  openDialog_->setSizeGripEnabled(true);
  QStringList descriptions;
  const QStringList parts = QString(kOpenDialogFilter).split('|');
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) descriptions.append(parts[i]);
  descriptions.append(kRotatedJournalsFilter);
  openDialog_->setNameFilters(descriptions);
  openDialog_->selectNameFilter(descriptions.first());
  openDialog_->setProxyModel(new RussianFileSizes(openDialog_));
  return openDialog_;
}

}  // namespace vantorel
