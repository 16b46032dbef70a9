#include "views/StringGrid.h"

#include <QEvent>
#include <algorithm>

#include "views/CellPainter.h"

namespace vantorel {
namespace {
constexpr uint16_t kNotMeasured = 0xFFFF;
}

JournalGrid::JournalGrid(QWidget* parent) : QTableView(parent), painter_(new CellPainter(this)) {
  setModel(&model_);
  setItemDelegate(painter_);
  setHorizontalHeader(new TitleHeader(this));
  QFont gridFont = font();
  gridFont.setKerning(false);
  setFont(gridFont);
  widths_ = std::make_unique<TextWidths>(gridFont);

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
}

JournalGrid::~JournalGrid() = default;

void JournalGrid::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) {
    QFont gridFont = font();
    if (gridFont.kerning()) {
      gridFont.setKerning(false);
      setFont(gridFont);
    }
    widths_ = std::make_unique<TextWidths>(gridFont);
    measuredTable_ = nullptr;
    recordWidths_.clear();
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
  measuredTable_ = nullptr;
  recordWidths_.clear();
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

void JournalGrid::ShowRows(const JournalTable* table, std::vector<uint32_t> rows) {
  if (table != measuredTable_ || (table != nullptr && recordWidths_.size() !=
                                  table->RecordCount() * static_cast<size_t>(table->ColumnCount()))) {
    measuredTable_ = table;
    recordWidths_.assign(table == nullptr ? 0 : table->RecordCount() * static_cast<size_t>(table->ColumnCount()),
                         kNotMeasured);
  }
  model_.SetRows(table, std::move(rows));
}

const uint16_t* JournalGrid::RecordWidths(size_t record) {
  const JournalTable* table = model_.Table();
  const size_t columns = static_cast<size_t>(table->ColumnCount());
  uint16_t* widths = &recordWidths_[record * columns];
  if (widths[0] == kNotMeasured) {
    std::string scratch;
    for (size_t c = 0; c < columns; ++c) {
      const int width = widths_->Width(table->CellText(record, static_cast<int>(c), scratch));
      widths[c] = static_cast<uint16_t>(std::min(width, 0xFFFE));
    }
  }
  return widths;
}

void JournalGrid::FitColumnWidths(int pad) {
  const int columns = ColumnCount();
  std::vector<int> widest(static_cast<size_t>(std::max(columns, 0)), pad);
  const JournalTable* table = model_.Table();
  if (table != nullptr) {
    const int measured = std::min(columns, table->ColumnCount());
    for (uint32_t record : model_.Rows()) {
      const uint16_t* widths = RecordWidths(record);
      for (int c = 0; c < measured; ++c) widest[static_cast<size_t>(c)] = std::max<int>(widest[static_cast<size_t>(c)], widths[c]);
    }
  }
  for (int c = 0; c < columns; ++c) setColumnWidth(c, widest[static_cast<size_t>(c)] + pad);
}

int JournalGrid::DataTextWidth(size_t dataRow, int column) {
  const JournalTable* table = model_.Table();
  if (table == nullptr || column >= table->ColumnCount()) return 0;
  return RecordWidths(model_.Rows()[dataRow])[column];
}

void JournalGrid::FitColumnWidth(int column, int pad) {
  int widest = pad;
  if (model_.Table() != nullptr) {
    const size_t rows = model_.Rows().size();
    for (size_t r = 0; r < rows; ++r) widest = std::max(widest, DataTextWidth(r, column));
  }
  setColumnWidth(column, widest + pad);
}

}  // namespace vantorel
