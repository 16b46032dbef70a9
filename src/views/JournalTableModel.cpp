#include "views/JournalTableModel.h"

#include <QApplication>
#include <QPalette>

#include "platform/DisplayText.h"

namespace vantorel {

QColor ButtonFace() { return QApplication::palette().color(QPalette::Button); }

QColor ToneColour(TextTone tone) { return QColor::fromRgb(ToneRgb(tone)); }

JournalTableModel::JournalTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int JournalTableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(shown_) + emptyRows_;
}

int JournalTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

std::optional<RecordIndex> JournalTableModel::RecordOf(ShownRow row) const {
  if (document_ == nullptr || row.value >= shown_) return std::nullopt;
  return RecordIndex{rows_.rows[row.value]};
}

QVariant JournalTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole:
      return FromCp1251(CellBytes(ShownRow{static_cast<uint32_t>(index.row())}, index.column(), scratch_));
    case kPaintRole:
      return FromCp1251(CellBytes(ShownRow{static_cast<uint32_t>(index.row())}, index.column(), scratch_).substr(0, kPaintedBytes));
    case Qt::ForegroundRole: {
      const std::optional<RecordIndex> record = RecordOf(ShownRow{static_cast<uint32_t>(index.row())});
      return ToneColour(!record || !coloured_ ? TextTone::Plain : document_->Tone(record->value));
    }
    case Qt::BackgroundRole:
      // Grid row r + 1 shows model row r: odd grid rows are white.
      return index.row() % 2 == 0 ? QColor(255, 255, 255) : ButtonFace();
    default:
      return {};
  }
}

QVariant JournalTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  switch (role) {
    case Qt::DisplayRole: return Title(section);
    case Qt::ForegroundRole: return QColor(0, 0, 0);
    case Qt::BackgroundRole: return ButtonFace();
    default: return {};
  }
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
  document_ = nullptr;
  rows_ = {};
  spare_ = {};
  shown_ = 0;
  rowsOf_ = nullptr;
  emptyRows_ = 0;
  endResetModel();
}

void JournalTableModel::ClearRows() {
  if (shown_ == 0 && emptyRows_ == 0 && document_ == nullptr) return;
  beginResetModel();
  document_ = nullptr;
  rows_.rows.Clear();
  shown_ = 0;
  emptyRows_ = 0;
  endResetModel();
}

void JournalTableModel::WriteTitles(const QStringList& titles) {
  while (titles_.size() < titles.size()) titles_.append(QString());
  for (int c = 0; c < titles.size(); ++c) titles_[c] = titles[c].left(static_cast<qsizetype>(kPaintedBytes));
  if (columns_ > 0) emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

void JournalTableModel::ShowSelection(const JournalDocument& document, const FilterState& state) {
  beginResetModel();
  // A different journal: the storage of the last one's view goes with it.
  if (&document != rowsOf_) rows_ = {};
  const bool prepared = Prepared(document, state);
  preparedFor_.reset();
  preparedWidest_.clear();
  rowsOf_ = document_ = &document;
  if (!prepared) document.Select(state, rows_);
  shown_ = rows_.rows.size();
  emptyRows_ = 0;
  endResetModel();
}

void JournalTableModel::ShowPrepared(const JournalDocument& document, RowSet rows) {
  beginResetModel();
  preparedFor_.reset();
  preparedWidest_.clear();
  if (&document == rowsOf_) spare_ = std::move(rows_);
  rows_ = std::move(rows);
  rowsOf_ = document_ = &document;
  shown_ = rows_.rows.size();
  emptyRows_ = 0;
  endResetModel();
}

void JournalTableModel::SetHighlights(const std::vector<TextFilter>& texts) {
  highlights_.clear();
  for (const TextFilter& text : texts) {
    if (!text.hide && !text.unwritable) highlights_.emplace_back(text);
  }
}

void JournalTableModel::Highlights(ShownRow row, int column, std::vector<TextSpan>& out) const {
  out.clear();
  if (highlights_.empty()) return;
  const std::string_view cell = CellBytes(row, column, scratch_).substr(0, kPaintedBytes);
  for (const TextMatcher& text : highlights_) text.Spans(cell, out);
}

void JournalTableModel::SetMarks(std::shared_ptr<const RecordMarks> marks) {
  marks_ = std::move(marks);
  if (rowCount() > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columns_ - 1), {});
}

bool JournalTableModel::Marked(ShownRow row) const {
  const std::optional<RecordIndex> record = RecordOf(row);
  return record && marks_ != nullptr && marks_->Contains(*record);
}

void JournalTableModel::AdoptRowStorage(const JournalDocument& document, RowSet storage,
                                        std::optional<FilterState> selectedFor, std::vector<int> widest) {
  if (document_ != nullptr) return;
  rows_ = std::move(storage);
  preparedFor_ = std::move(selectedFor);
  preparedWidest_ = std::move(widest);
  if (!preparedFor_) rows_.rows.Clear();
  rowsOf_ = &document;
}

void JournalTableModel::AppendSelection(const JournalDocument& document, const FilterState& state, size_t first) {
  if (&document != document_) return;
  document.SelectFrom(state, first, rows_);
  if (rows_.rows.size() == shown_) return;
  beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(rows_.rows.size()) - 1);
  shown_ = rows_.rows.size();
  endInsertRows();
}

void JournalTableModel::SetEmptyRows(int count) {
  beginResetModel();
  document_ = rowsOf_ = nullptr;
  rows_ = {};
  shown_ = 0;
  emptyRows_ = count;
  endResetModel();
}

void JournalTableModel::SetColoured(bool coloured) {
  if (coloured == coloured_) return;
  coloured_ = coloured;
  if (rowCount() > 0 && columns_ > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columns_ - 1), {Qt::ForegroundRole});
}

std::string_view JournalTableModel::CellBytes(ShownRow row, int column, std::string& scratch) const {
  const std::optional<RecordIndex> record = RecordOf(row);
  if (!record || column < 0 || column >= document_->ColumnCount()) return {};
  return document_->Cell(record->value, column, scratch);
}

QString JournalTableModel::Title(int column) const {
  return column >= 0 && column < titles_.size() ? titles_[column] : QString();
}

}  // namespace vantorel
