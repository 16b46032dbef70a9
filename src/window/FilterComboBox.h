#pragma once
// An editable filter list: item 0 lets every value through.
#include <QComboBox>
#include <QStringListModel>
#include <string_view>
#include <vector>

namespace vantorel {

class FilterComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit FilterComboBox(QWidget* parent = nullptr);

  // The selected item: the current item while the text shows it, else the item whose text
  // equals the text shown exactly (as when completion has filled it in), else -1 (typed text
  // that names no item).
  int SelectedIndex() const;

  // Replaces the list with `items` (Windows-1251) and selects item 0, raising no change.
  void Fill(const std::vector<std::string_view>& items);
  // Adds the items of `items` past those the list holds, leaving the selection and the text
  // shown as they are.
  void Extend(const std::vector<std::string_view>& items);

 signals:
  // The person chose an item or typed into the box; after typing, once completion has filled
  // in the text, so that the box and the table agree.
  void UserChanged();

 private:
  // After inline completion of text typed in another letter case: the completed item's own
  // text, its completed rest still selected, so that the box and the table agree.
  void TakeCompletedItemsText();

  bool changePending_ = false;
  QStringListModel* items_;
};

}  // namespace vantorel
