#include "window/ChosenFiles.h"

#include <QDir>
#include <QLineEdit>

namespace vantorel {

QStringList TypedNames(const QString& line) {
  QStringList names;
  if (!line.contains('"')) {
    if (!line.trimmed().isEmpty()) names.append(line.trimmed());
    return names;
  }
  for (qsizetype open = line.indexOf('"'); open >= 0; open = line.indexOf('"', open)) {
    const qsizetype close = line.indexOf('"', open + 1);
    if (close < 0) break;
    const QString name = line.mid(open + 1, close - open - 1);
    if (!name.isEmpty()) names.append(name);
    open = close + 1;
  }
  return names;
}

QStringList ChosenFiles(const QFileDialog& dialog) {
  const auto* line = dialog.findChild<QLineEdit*>("fileNameEdit");
  const QStringList names = line != nullptr ? TypedNames(line->text()) : QStringList();
  if (names.isEmpty()) return dialog.selectedFiles();
  QStringList files;
  const QDir folder = dialog.directory();
  for (const QString& name : names) files.append(QDir::cleanPath(folder.absoluteFilePath(name)));
  return files;
}

}  // namespace vantorel
