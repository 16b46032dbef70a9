#pragma once
// A status panel whose text, when longer than the panel, is cut in its middle with an
// ellipsis, the whole text then being its tooltip; its text() stays the whole text.
#include <QLabel>

namespace vantorel {

class ElidedLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ElidedLabel(QWidget* parent = nullptr);

  // Sets the whole text; what the panel shows of it follows its width.
  void SetWholeText(const QString& text);
  // What the panel shows now.
  QString ShownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The tooltip: the whole text while it does not fit, none while it does.
  void UpdateToolTip();
};

}  // namespace vantorel
