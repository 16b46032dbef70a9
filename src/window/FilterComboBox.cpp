#include "window/FilterComboBox.h"

#include <QCompleter>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStringListModel>

#include "platform/DisplayText.h"

namespace vantorel {

FilterComboBox::FilterComboBox(QWidget* parent) : QComboBox(parent), items_(new QStringListModel(this)) {
  setEditable(true);
  // Plain strings: a list of tens of thousands of values is filled at once, not item by item.
  setModel(items_);
  setInsertPolicy(QComboBox::NoInsert);
  setMaxVisibleItems(8);
  connect(this, &QComboBox::activated, this, &FilterComboBox::UserChanged);
  // Inline completion fills the text in right after the keystroke's own edit: the change is
  // told once the keystroke has been handled whole.
  connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
    if (changePending_) return;
    changePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          changePending_ = false;
          TakeCompletedItemsText();
          emit UserChanged();
        },
        Qt::QueuedConnection);
  });
}

void FilterComboBox::TakeCompletedItemsText() {
  QLineEdit* edit = lineEdit();
  const QString text = edit->text();
  // Completion keeps the letters as typed and selects the item's rest after them.
  if (completer() == nullptr || !edit->hasSelectedText() ||
      edit->selectionStart() + edit->selectedText().size() != text.size()) {
    return;
  }
  const QString item = completer()->currentCompletion();
  if (item == text || item.compare(text, Qt::CaseInsensitive) != 0) return;
  const int start = edit->selectionStart();
  const int length = static_cast<int>(edit->selectedText().size());
  const bool backward = edit->cursorPosition() == start;
  const QSignalBlocker block(this);
  edit->setText(item);
  if (backward) {
    edit->setSelection(start + length, -length);
  } else {
    edit->setSelection(start, length);
  }
}

int FilterComboBox::SelectedIndex() const {
  const QString text = currentText();
  const int current = currentIndex();
  if (current >= 0 && itemText(current) == text) return current;
  return findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void FilterComboBox::Fill(const std::vector<std::string_view>& items) {
  const QSignalBlocker block(this);
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(items.size()));
  for (std::string_view item : items) texts.append(FromCp1251(item));
  items_->setStringList(texts);
  setCurrentIndex(0);
}

}  // namespace vantorel

namespace vantorel {

void FilterComboBox::Extend(const std::vector<std::string_view>& items) {
  if (items.size() <= static_cast<size_t>(count())) return;
  const QSignalBlocker block(this);
  const QSignalBlocker blockEdit(lineEdit());
  const QString text = currentText();
  QStringList texts;
  for (size_t i = static_cast<size_t>(count()); i < items.size(); ++i) texts.append(FromCp1251(items[i]));
  addItems(texts);
  if (currentText() != text) setEditText(text);
}

}  // namespace vantorel
