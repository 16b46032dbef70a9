#pragma once
// A main window under test: the journals' regional settings, the year 2026, the open dialog
// and the error report replaced by recorders.
#include <gtest/gtest.h>

#include <QStringList>
#include <memory>

#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"
#include "window/CorvanelForm.h"

namespace vantorel::test {

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

  // Chooses "Открыть журнал" and picks `path` in the dialog.
  void Open(const QString& path) {
    nextChoice = path;
    form->Open->trigger();
  }

  // Writes a journal of `utf8Lines` (encoded to Windows-1251, CR LF line ends) and opens it.
  QString OpenJournal(const std::string& name, const std::string& utf8Text) {
    const QString path = QString::fromStdString(WriteScratchFile(name, W(utf8Text)));
    Open(path);
    return path;
  }

  QString Cell(int column, int row) const { return form->StringGrid->Cell(column, row); }
  QString Count() const { return form->StatusText(1); }

  std::unique_ptr<TCorvanelForm> form;
  QStringList errors;
  QStringList dialogDirectories;
  QStringList panel1History;
  QString nextChoice;
};

}  // namespace vantorel::test
