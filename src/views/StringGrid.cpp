#include "views/StringGrid.h"

#include <QEvent>
#include <QHeaderView>
#include <algorithm>

#include "views/CellPainter.h"

namespace vantorel {

JournalGrid::JournalGrid(QWidget* parent) : QTableView(parent) {
  setModel(&model_);
  setItemDelegate(new CellPainter(this));
  setHorizontalHeader(new TitleHeader(this));
  QFont gridFont = font();
  gridFont.setKerning(false);
  setFont(gridFont);
  measure_ = MeasureOf(gridFont);

  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(19);
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setSectionsMovable(false);
  horizontalHeader()->setDefaultSectionSize(108);
  horizontalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setFixedHeight(19);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStretchLastSection(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  // Tab and Shift+Tab move between the window's controls; the arrows and paging keys move in
  // the grid.
  setTabKeyNavigation(false);
  // A double click on a column border fits the column as a view does (the table's own
  // answer, which runs first, would fit it to its title).
  connect(horizontalHeader(), &QHeaderView::sectionHandleDoubleClicked, this,
          [this](int column) { FitColumnWidth(column, pad_); });
  // A reset makes other records of the same row numbers: the mark would point at them.
  connect(&model_, &QAbstractItemModel::modelReset, this, [this] { marked_ = QPersistentModelIndex(); });
}

JournalGrid::~JournalGrid() = default;

void JournalGrid::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) {
    QFont gridFont = font();
    if (gridFont.kerning()) {
      gridFont.setKerning(false);
      setFont(gridFont);
    }
    measure_ = MeasureOf(gridFont);
    widths_.reset();
    measured_ = nullptr;
  }
  QTableView::changeEvent(event);
}

void JournalGrid::SetFixedRows(int rows) {
  fixedRows_ = rows;
  viewport()->update();
  horizontalHeader()->viewport()->update();
}

QString JournalGrid::Cell(int column, int row) const {
  if (row == 0) return model_.Title(column);
  return model_.data(model_.index(row - 1, column), Qt::DisplayRole).toString();
}

void JournalGrid::ClearGridColumns() {
  // Every load starts here: widths measured for the previous journal no longer hold.
  widths_.reset();
  measured_ = nullptr;
  model_.ClearColumns();
  SetFixedRows(0);
}

void JournalGrid::ClearGridRows() {
  model_.ClearRows();
  SetFixedRows(0);
}

void JournalGrid::LoadHeaderRow(const QStringList& titles, int columnCount) {
  model_.SetColumnCount(columnCount);
  model_.WriteTitles(titles);
}

void JournalGrid::ShowView(const JournalDocument& document, const FilterState& state) {
  model_.ShowSelection(document, state);
}

void JournalGrid::AppendView(const JournalDocument& document, const FilterState& state, size_t first) {
  const int last = model_.rowCount() - 1;
  const int bottom = rowAt(viewport()->height() - 1);
  const bool lastInView = last < 0 || bottom < 0 || bottom >= last;
  model_.AppendSelection(document, state, first);
  if (lastInView && model_.rowCount() - 1 > last) scrollToBottom();
}

void JournalGrid::ScrollToRow(int row) {
  // Right after a new view the scroll range is still the old one's: it is laid out first.
  doItemsLayout();
  const QModelIndex target = model_.index(row - 1, 0);
  if (target.isValid()) scrollTo(target, QAbstractItemView::PositionAtTop);
}

void JournalGrid::AdoptWidths(const JournalDocument& document, std::unique_ptr<WidthIndex> widths) {
  if (widths == nullptr || !(widths->Measure() == measure_)) return;
  widths_ = std::move(widths);
  measured_ = &document;
}

std::vector<int> JournalGrid::WidestTexts() {
  const JournalDocument* document = model_.Document();
  if (document == nullptr) return std::vector<int>(static_cast<size_t>(std::max(ColumnCount(), 0)), 0);
  if (measured_ != document || widths_ == nullptr) {
    widths_ = std::make_unique<WidthIndex>(*document, measure_);
    measured_ = document;
  }
  widths_->Extend(*document);
  return widths_->Widest(*document, model_.Rows());
}

void JournalGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (current != marked_) marked_ = QPersistentModelIndex();
  QTableView::currentChanged(current, previous);
  viewport()->update();
}

void JournalGrid::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  viewport()->update();
}

void JournalGrid::focusOutEvent(QFocusEvent* event) {
  QTableView::focusOutEvent(event);
  viewport()->update();
}

std::vector<uint32_t> JournalGrid::SelectedRecords() const {
  std::vector<uint32_t> records;
  if (selectionModel() == nullptr) return records;
  // Whole rows are selected: the ranges' rows, merged and in shown order.
  std::vector<std::pair<int, int>> spans;
  for (const QItemSelectionRange& range : selectionModel()->selection()) spans.emplace_back(range.top(), range.bottom());
  std::sort(spans.begin(), spans.end());
  int next = 0;
  for (const auto& [top, bottom] : spans) {
    for (int row = std::max(top, next); row <= bottom; ++row) {
      const long long record = model_.RecordOf(row);
      if (record >= 0) records.push_back(static_cast<uint32_t>(record));
    }
    next = std::max(next, bottom + 1);
  }
  return records;
}

void JournalGrid::GoToMatch(int row, int column) {
  const QModelIndex target = model_.index(row - 1, column);
  if (!target.isValid()) return;
  marked_ = QPersistentModelIndex();
  selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  marked_ = target;
  scrollTo(target);
  viewport()->update();
}

void JournalGrid::FitColumnWidths(int pad) {
  pad_ = pad;
  const std::vector<int> widest = WidestTexts();
  for (int c = 0; c < ColumnCount(); ++c) {
    const int text = static_cast<size_t>(c) < widest.size() ? widest[static_cast<size_t>(c)] : 0;
    setColumnWidth(c, std::max(pad, text) + pad);
  }
}

void JournalGrid::FitColumnWidth(int column, int pad) {
  pad_ = pad;
  const std::vector<int> widest = WidestTexts();
  const int text = column >= 0 && static_cast<size_t>(column) < widest.size() ? widest[static_cast<size_t>(column)] : 0;
  setColumnWidth(column, std::max(pad, text) + pad);
}

}  // namespace vantorel
