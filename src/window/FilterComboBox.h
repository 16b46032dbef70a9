#pragma once
// An editable filter list: item 0 lets every value through.
#include <QComboBox>
#include <string_view>
#include <vector>

namespace vantorel {

class FilterComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit FilterComboBox(QWidget* parent = nullptr);

  // The selected item: the current item while the text shows it, else the item whose text
  // equals the typed text exactly, else -1 (typed text that names no item).
  int SelectedIndex() const;

  // Replaces the list with `items` (Windows-1251) and selects item 0, raising no change.
  void Fill(const std::vector<std::string_view>& items);

 signals:
  // The person chose an item or typed into the box.
  void UserChanged();
};

}  // namespace vantorel
