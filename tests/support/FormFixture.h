#pragma once
// A main window under test: the journals' regional settings, the year 2026, the open dialog
// and the error report replaced by recorders; opening a journal waits for its load to end.
#include <gtest/gtest.h>

#include <QColor>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <memory>

#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"
#include "window/CorvanelForm.h"

namespace vantorel::test {

// The colours a grid row is painted with, row 0 being the titles.
struct RowColours {
  QColor background;
  QColor text;
};

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TCorvanelForm>(JournalRules());
    form->showErrorReport = [this](const QString& text) { errors.append(text); };
    form->runOpenDialog = [this](QFileDialog& dialog) {
      dialogDirectories.append(dialog.directory().absolutePath());
      return nextChoice;
    };
    QObject::connect(form.get(), &TCorvanelForm::StatusTextChanged,
                     [this](int panel, const QString& text) { if (panel == 1) panel1History.append(text); });
  }

  // Runs the window's events until its load has ended.
  void WaitForLoad() {
    QElapsedTimer waited;
    waited.start();
    while (form->IsLoading() && waited.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_FALSE(form->IsLoading()) << "the load did not end";
  }

  // Chooses "Открыть журнал", picks `path` in the dialog and waits for the load to end.
  void Open(const QString& path) {
    nextChoice = path;
    form->Open->trigger();
    WaitForLoad();
  }

  // Writes a journal of `utf8Lines` (encoded to Windows-1251, CR LF line ends) and opens it.
  QString OpenJournal(const std::string& name, const std::string& utf8Text) {
    const QString path = QString::fromStdString(WriteScratchFile(name, W(utf8Text)));
    Open(path);
    return path;
  }

  QString Cell(int column, int row) const { return form->StringGrid->Cell(column, row); }
  QString Count() const { return form->StatusText(1); }

  RowColours Colours(int gridRow) const {
    const JournalTableModel& model = form->StringGrid->Model();
    if (gridRow == 0) {
      return {model.headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(),
              model.headerData(0, Qt::Horizontal, Qt::ForegroundRole).value<QColor>()};
    }
    const QModelIndex cell = model.index(gridRow - 1, 0);
    return {cell.data(Qt::BackgroundRole).value<QColor>(), cell.data(Qt::ForegroundRole).value<QColor>()};
  }

  std::unique_ptr<TCorvanelForm> form;
  QStringList errors;
  QStringList dialogDirectories;
  QStringList panel1History;
  QString nextChoice;
};

}  // namespace vantorel::test
