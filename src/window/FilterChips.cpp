#include "window/FilterChips.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

QToolButton* MakeChip(QWidget* parent, const QString& text, const QString& name) {
  auto* chip = new QToolButton(parent);
  chip->setObjectName(name);
  chip->setText(text + QString::fromUtf8("  ✕"));
  chip->setToolTip("Убрать фильтр: " + text);
  chip->setAutoRaise(false);
  chip->setCursor(Qt::PointingHandCursor);
  return chip;
}

}  // namespace

FilterChips::FilterChips(QWidget* parent) : QWidget(parent) {
  setObjectName("FilterChips");
  row_ = new QHBoxLayout(this);
  row_->setContentsMargins(4, 2, 4, 2);
  row_->setSpacing(4);
  hide();
}

QString FilterChips::ChipText(const TextFilter& text) {
  QString shown = QString::fromStdString(Cp1251ToUtf8(text.text));
  if (text.regex) shown = "/" + shown + "/";
  if (text.matchCase) shown += " Aa";
  return (text.hide ? QString::fromUtf8("− ") : QString("+ ")) + shown;
}

void FilterChips::Show(const std::vector<TextFilter>& texts, bool markedOnly) {
  // A chip may be the one whose click is being handled: it goes once that is done.
  while (QLayoutItem* item = row_->takeAt(0)) {
    if (QWidget* widget = item->widget()) {
      widget->hide();
      widget->deleteLater();
    }
    delete item;
  }
  if (texts.empty() && !markedOnly) {
    hide();
    return;
  }
  // Made after the row was shown, the chips are shown at once, not at the next event.
  auto* caption = new QLabel("Фильтры:", this);
  caption->show();
  row_->addWidget(caption);
  for (size_t i = 0; i < texts.size(); ++i) {
    QToolButton* chip = MakeChip(this, ChipText(texts[i]), QString("TextChip%1").arg(i));
    connect(chip, &QToolButton::clicked, this, [this, i] { emit TextRemoved(static_cast<int>(i)); });
    chip->show();
    row_->addWidget(chip);
  }
  if (markedOnly) {
    QToolButton* chip = MakeChip(this, "Только отмеченные", "MarkedChip");
    connect(chip, &QToolButton::clicked, this, &FilterChips::MarkedOnlyRemoved);
    chip->show();
    row_->addWidget(chip);
  }
  row_->addStretch(1);
  show();
}

}  // namespace vantorel
