#include "window/FilterComboBox.h"

#include <QLineEdit>
#include <QSignalBlocker>

#include "views/DisplayText.h"

namespace vantorel {

FilterComboBox::FilterComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setMaxVisibleItems(8);
  connect(this, &QComboBox::activated, this, &FilterComboBox::UserChanged);
  connect(lineEdit(), &QLineEdit::textEdited, this, &FilterComboBox::UserChanged);
}

int FilterComboBox::SelectedIndex() const {
  const QString text = currentText();
  const int current = currentIndex();
  if (current >= 0 && itemText(current) == text) return current;
  return findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void FilterComboBox::Fill(const std::vector<std::string_view>& items) {
  const QSignalBlocker block(this);
  clear();
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(items.size()));
  for (std::string_view item : items) texts.append(FromCp1251(item));
  addItems(texts);
  setCurrentIndex(0);
}

}  // namespace vantorel
