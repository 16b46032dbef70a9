#include "views/JournalTableModel.h"

#include "views/DisplayText.h"

namespace vantorel {

JournalTableModel::JournalTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int JournalTableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(rows_.size()) + emptyRows_;
}

int JournalTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant JournalTableModel::data(const QModelIndex& index, int role) const {
  if ((role != Qt::DisplayRole && role != kPaintRole) || !index.isValid()) return {};
  std::string_view text = CellBytes(index.row(), index.column(), scratch_);
  if (role == kPaintRole) text = text.substr(0, kPaintedBytes);
  return FromCp1251(text);
}

QVariant JournalTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return Title(section);
}

Qt::ItemFlags JournalTableModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void JournalTableModel::SetColumnCount(int count) {
  if (count == columns_) return;
  beginResetModel();
  columns_ = count;
  endResetModel();
}

void JournalTableModel::ClearColumns() {
  beginResetModel();
  for (int c = 0; c < columns_ && c < titles_.size(); ++c) titles_[c].clear();
  table_ = nullptr;
  rows_ = {};
  emptyRows_ = 0;
  endResetModel();
}

void JournalTableModel::ClearRows() {
  if (rows_.empty() && emptyRows_ == 0) return;
  beginResetModel();
  table_ = nullptr;
  // The memory goes too: the next view's rows are built before they take this place.
  rows_ = {};
  emptyRows_ = 0;
  endResetModel();
}

void JournalTableModel::WriteTitles(const QStringList& titles) {
  while (titles_.size() < titles.size()) titles_.append(QString());
  for (int c = 0; c < titles.size(); ++c) titles_[c] = titles[c];
  if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

void JournalTableModel::SetRows(const JournalTable* table, std::vector<uint32_t> rows) {
  beginResetModel();
  table_ = table;
  rows_ = std::move(rows);
  emptyRows_ = 0;
  endResetModel();
}

void JournalTableModel::SetEmptyRows(int count) {
  beginResetModel();
  table_ = nullptr;
  rows_.clear();
  emptyRows_ = count;
  endResetModel();
}

std::string_view JournalTableModel::CellBytes(int dataRow, int column, std::string& scratch) const {
  if (table_ == nullptr || dataRow < 0 || static_cast<size_t>(dataRow) >= rows_.size()) return {};
  if (column < 0 || column >= table_->ColumnCount()) return {};
  return table_->CellText(rows_[static_cast<size_t>(dataRow)], column, scratch);
}

QString JournalTableModel::Title(int column) const {
  return column >= 0 && column < titles_.size() ? titles_[column] : QString();
}

}  // namespace vantorel
