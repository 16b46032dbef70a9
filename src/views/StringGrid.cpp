#include "views/StringGrid.h"

#include <QAccessible>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "views/CellPainter.h"
#include "views/GridAccessible.h"
#include "views/MarkGutter.h"

namespace vantorel {

JournalGrid::JournalGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  GridAccessible::Install();
  QFont gridFont = font();
  gridFont.setKerning(false);
  setFont(gridFont);
  measure_ = MeasureOf(gridFont);

  header_ = new TitleHeader(this);
  header_->setModel(&model_);
  header_->setSectionResizeMode(QHeaderView::Interactive);
  header_->setSectionsMovable(false);
  header_->setDefaultSectionSize(kDefaultColumnWidth);
  header_->setMinimumSectionSize(1);
  header_->setFixedHeight(kRowHeight);
  header_->setHighlightSections(false);
  header_->setStretchLastSection(false);
  setViewportMargins(0, kRowHeight, 0, 0);
  verticalScrollBar()->setSingleStep(1);
  // A double click on a column border fits the column as a view does.
  connect(header_, &QHeaderView::sectionHandleDoubleClicked, this, [this](int column) { FitColumnWidth(column, pad_); });
  connect(header_, &QHeaderView::sectionResized, this, [this] {
    UpdateScrollBars();
    viewport()->update();
  });
  connect(header_, &QHeaderView::sectionCountChanged, this, [this] {
    UpdateScrollBars();
    viewport()->update();
  });
  connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
    ForgetRows();
    // As a table view: the scroll bars follow once the handler that reset the rows is done,
    // so a view made anew keeps its place.
    if (!layoutPending_) {
      layoutPending_ = true;
      QMetaObject::invokeMethod(this, [this] { Settle(); }, Qt::QueuedConnection);
    }
    viewport()->update();
  });
  connect(&model_, &QAbstractItemModel::rowsInserted, this, [this] {
    UpdateScrollBars();
    viewport()->update();
  });
  connect(&model_, &QAbstractItemModel::dataChanged, viewport(), qOverload<>(&QWidget::update));
  gutter_ = new MarkGutter(this);
  gutter_->hide();
  connect(&model_, &QAbstractItemModel::modelReset, gutter_, qOverload<>(&QWidget::update));
  connect(&model_, &QAbstractItemModel::rowsInserted, gutter_, qOverload<>(&QWidget::update));
  connect(&model_, &QAbstractItemModel::dataChanged, gutter_, qOverload<>(&QWidget::update));
  dragScroll_ = new QTimer(this);
  dragScroll_->setInterval(50);
  connect(dragScroll_, &QTimer::timeout, this, &JournalGrid::DragScroll);
  UpdateGeometries();
}

JournalGrid::~JournalGrid() {
  // The header watches the model, which goes before the children do.
  delete header_;
}

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
  QAbstractScrollArea::changeEvent(event);
}

void JournalGrid::SetFixedRows(int rows) {
  fixedRows_ = rows;
  viewport()->update();
  header_->viewport()->update();
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
  Settle();
  if (lastInView && model_.rowCount() - 1 > last) verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void JournalGrid::ScrollToRow(ShownRow row) {
  Settle();
  if (row.value < static_cast<uint32_t>(model_.rowCount())) verticalScrollBar()->setValue(static_cast<int>(row.value));
}

std::optional<ShownRow> JournalGrid::TopRow() const {
  const int row = rowAt(0);
  if (row < 0) return std::nullopt;
  return ShownRow{static_cast<uint32_t>(row)};
}

void JournalGrid::RecordsChanged(size_t first) {
  if (widths_ == nullptr) return;
  if (widths_.use_count() > 1) widths_ = std::make_shared<WidthIndex>(*widths_);
  widths_->Forget(first);
}

void JournalGrid::AdoptWidths(const JournalDocument& document, std::unique_ptr<WidthIndex> widths) {
  if (widths == nullptr || !(widths->Measure() == measure_)) return;
  widths_ = std::move(widths);
  measured_ = &document;
}

std::shared_ptr<const WidthIndex> JournalGrid::Widths(const JournalDocument& document) {
  if (measured_ != &document || widths_ == nullptr) {
    widths_ = std::make_shared<WidthIndex>(document, measure_);
    measured_ = &document;
  }
  if (!widths_->Current(document)) {
    // A view selected beside the window may still read the widths as they were.
    if (widths_.use_count() > 1) widths_ = std::make_shared<WidthIndex>(*widths_);
    widths_->Extend(document);
  }
  return widths_;
}

std::vector<int> JournalGrid::WidestTexts() {
  const JournalDocument* document = model_.Document();
  if (document == nullptr) return std::vector<int>(static_cast<size_t>(std::max(ColumnCount(), 0)), 0);
  return Widths(*document)->Widest(*document, model_.Rows());
}

void JournalGrid::FitColumnWidths(int pad) { FitColumnWidths(pad, WidestTexts()); }

void JournalGrid::FitColumnWidths(int pad, const std::vector<int>& widest) {
  pad_ = pad;
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

std::vector<RecordIndex> JournalGrid::SelectedRecords() const {
  std::vector<RecordIndex> records;
  const RowSet& rows = model_.Rows();
  if (model_.Document() == nullptr) return records;
  // Rows past the shown ones are empty rows of no record.
  const long long shown = std::min<long long>(model_.rowCount(), static_cast<long long>(rows.rows.size()));
  size_t count = 0;
  for (const auto& [first, last] : selection_.Spans()) count += static_cast<size_t>(std::max(0LL, std::min<long long>(last + 1, shown) - first));
  records.reserve(count);
  for (const auto& [first, last] : selection_.Spans()) {
    const long long end = std::min<long long>(last + 1, shown);
    for (long long row = first; row < end; ++row) records.push_back(RecordIndex{rows.rows[static_cast<size_t>(row)]});
  }
  return records;
}

void JournalGrid::SelectRecords(const std::vector<RecordIndex>& records) {
  const RowSet& rows = model_.Rows();
  const size_t shown = static_cast<size_t>(model_.rowCount());
  const uint32_t* begin = rows.rows.begin();
  const uint32_t* end = begin + std::min(rows.rows.size(), shown);
  const uint32_t* from = begin;
  for (const RecordIndex index : records) {
    const uint32_t record = index.value;
    // Records come in shown order: each is looked for after the one before.
    const uint32_t* at = std::lower_bound(from, end, record);
    if (at == end || *at != record) at = std::lower_bound(begin, end, record);
    if (at == end || *at != record) continue;
    const int row = static_cast<int>(at - begin);
    selection_.Add(row, row);
    from = at;
  }
  kept_ = selection_;
  viewport()->update();
}

void JournalGrid::SelectRows(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, model_.rowCount() - 1);
  if (first > last) return;
  selection_.Add(first, last);
  kept_ = selection_;
  viewport()->update();
}

void JournalGrid::DeselectRows(int first, int last) {
  selection_.Remove(first, last);
  kept_ = selection_;
  viewport()->update();
}

void JournalGrid::GoToMatch(ShownRow row, int column) {
  const int target = static_cast<int>(row.value);
  if (target < 0 || target >= model_.rowCount() || column < 0 || column >= ColumnCount()) return;
  SelectOnly(target);
  SetCurrent(target, column);
  markedRow_ = target;
  markedColumn_ = column;
  EnsureVisible(target, column);
  viewport()->update();
}

QModelIndex JournalGrid::MarkedCell() const {
  return markedRow_ < 0 ? QModelIndex() : model_.index(markedRow_, markedColumn_);
}

void JournalGrid::SetMarks(std::shared_ptr<const RecordMarks> marks) {
  const bool shown = marks != nullptr && !marks->empty();
  model_.SetMarks(std::move(marks));
  if (shown != gutter_->isVisible()) {
    gutter_->setVisible(shown);
    setViewportMargins(shown ? kGutterWidth : 0, kRowHeight, 0, 0);
    UpdateGeometries();
  }
  gutter_->update();
}

QHeaderView* JournalGrid::horizontalHeader() const { return header_; }

int JournalGrid::columnWidth(int column) const { return header_->sectionSize(column); }

void JournalGrid::setColumnWidth(int column, int width) { header_->resizeSection(column, width); }

QModelIndex JournalGrid::currentIndex() const {
  return currentRow_ < 0 ? QModelIndex() : model_.index(currentRow_, currentColumn_);
}

void JournalGrid::Settle() const {
  if (!layoutPending_) return;
  layoutPending_ = false;
  const_cast<JournalGrid*>(this)->UpdateScrollBars();
}

int JournalGrid::VerticalOffset() const {
  Settle();
  // As a table view scrolled by rows: at the end the last row sits on the bottom edge.
  const QScrollBar* rows = verticalScrollBar();
  if (rows->maximum() > 0 && rows->value() == rows->maximum()) {
    const long long length = static_cast<long long>(model_.rowCount()) * kRowHeight;
    return static_cast<int>(std::max(0LL, length - viewport()->height()));
  }
  return rows->value() * kRowHeight;
}

int JournalGrid::RowsInView() const { return std::max(1, viewport()->height() / kRowHeight); }

int JournalGrid::rowAt(int y) const {
  if (y < 0) return -1;
  const long long row = (static_cast<long long>(VerticalOffset()) + y) / kRowHeight;
  return row < model_.rowCount() ? static_cast<int>(row) : -1;
}

QModelIndex JournalGrid::indexAt(const QPoint& point) const {
  const int row = rowAt(point.y());
  const int column = header_->logicalIndexAt(point.x());
  return row < 0 || column < 0 ? QModelIndex() : model_.index(row, column);
}

QRect JournalGrid::visualRect(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != &model_) return {};
  return QRect(header_->sectionViewportPosition(index.column()), index.row() * kRowHeight - VerticalOffset(),
               header_->sectionSize(index.column()), kRowHeight);
}

void JournalGrid::selectRow(int row) {
  if (row < 0 || row >= model_.rowCount()) return;
  SelectOnly(row);
  // The current cell goes to the first column in view, as a table view's does.
  SetCurrent(row, std::max(header_->logicalIndexAt(0), 0));
  EnsureVisible(row, -1);
}

void JournalGrid::selectAll() {
  if (model_.rowCount() == 0) return;
  selection_.Clear();
  selection_.Add(0, model_.rowCount() - 1);
  kept_ = selection_;
  viewport()->update();
}

void JournalGrid::clearSelection() {
  selection_.Clear();
  kept_.Clear();
  viewport()->update();
}

void JournalGrid::ForgetRows() {
  ++generation_;
  if (QAccessible::isActive()) {
    QAccessibleTableModelChangeEvent reset(this, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&reset);
  }
  selection_.Clear();
  kept_.Clear();
  anchor_ = currentRow_ = markedRow_ = pressedRow_ = -1;
  currentColumn_ = 0;
  markedColumn_ = -1;
  selectOnRelease_ = false;
}

void JournalGrid::SetCurrent(int row, int column) {
  if (row != markedRow_ || column != markedColumn_) markedRow_ = markedColumn_ = -1;
  currentRow_ = row;
  currentColumn_ = column;
  viewport()->update();
  // A screen reader follows the current cell.
  if (QAccessible::isActive() && hasFocus()) {
    if (auto* table = dynamic_cast<GridAccessible*>(QAccessible::queryAccessibleInterface(this))) {
      if (QAccessibleInterface* cell = table->Cell(row, column)) {
        QAccessibleEvent focus(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
      }
    }
  }
}

void JournalGrid::EnsureVisible(int row, int column) {
  Settle();
  if (row >= 0) {
    const int y = row * kRowHeight - VerticalOffset();
    if (y < 0 || kRowHeight > viewport()->height()) {
      verticalScrollBar()->setValue(row);
    } else if (y + kRowHeight > viewport()->height()) {
      verticalScrollBar()->setValue(row - RowsInView() + 1);
    }
  }
  if (column >= 0 && column < ColumnCount()) {
    QScrollBar* pixels = horizontalScrollBar();
    const int left = header_->sectionPosition(column);
    const int width = header_->sectionSize(column);
    const int shown = viewport()->width();
    if (left < pixels->value() || width > shown) {
      pixels->setValue(left);
    } else if (left + width > pixels->value() + shown) {
      pixels->setValue(left + width - shown);
    }
  }
}

void JournalGrid::SelectOnly(int row) {
  selection_.Clear();
  kept_.Clear();
  selection_.Add(row, row);
  anchor_ = row;
  viewport()->update();
}

void JournalGrid::ExtendTo(int row) {
  if (anchor_ < 0) anchor_ = currentRow_ >= 0 ? currentRow_ : row;
  selection_ = kept_;
  selection_.Add(anchor_, row);
  viewport()->update();
}

void JournalGrid::Toggle(int row) {
  if (selection_.Contains(row)) {
    selection_.Remove(row, row);
    kept_ = selection_;
  } else {
    kept_ = selection_;
    selection_.Add(row, row);
  }
  anchor_ = row;
  viewport()->update();
}

void JournalGrid::UpdateGeometries() {
  const QRect shown = viewport()->geometry();
  header_->setGeometry(shown.left(), shown.top() - kRowHeight, shown.width(), kRowHeight);
  gutter_->setGeometry(shown.left() - kGutterWidth, shown.top(), kGutterWidth, shown.height());
  UpdateScrollBars();
}

void JournalGrid::UpdateScrollBars() {
  layoutPending_ = false;
  // As a table view: when everything fits without scroll bars, none is shown.
  QSize shown = viewport()->size();
  const QSize most = maximumViewportSize();
  const int width = header_->length();
  const long long height = static_cast<long long>(model_.rowCount()) * kRowHeight;
  if (most.width() >= width && most.height() >= height) shown = most;

  int columnsInView = 0;
  for (int c = ColumnCount() - 1, sum = 0; c >= 0; --c) {
    sum += header_->sectionSize(c);
    if (sum > shown.width()) break;
    ++columnsInView;
  }
  QScrollBar* pixels = horizontalScrollBar();
  pixels->setPageStep(shown.width());
  pixels->setRange(0, std::max(0, width - shown.width()));
  pixels->setSingleStep(std::max(shown.width() / (std::max(columnsInView, 1) + 1), 2));

  const int rowsInView = std::max(1, std::min(model_.rowCount(), shown.height() / kRowHeight));
  QScrollBar* rows = verticalScrollBar();
  rows->setRange(0, std::max(0, model_.rowCount() - rowsInView));
  rows->setPageStep(rowsInView);
  header_->setOffset(pixels->value());
}

void JournalGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateGeometries();
}

void JournalGrid::scrollContentsBy(int, int) {
  header_->setOffset(horizontalScrollBar()->value());
  viewport()->update();
  gutter_->update();
}

void JournalGrid::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const int rows = model_.rowCount();
  const int columns = ColumnCount();
  if (rows == 0 || columns == 0) return;
  const QRect area = event->rect();
  const int offset = VerticalOffset();
  const int firstRow = (offset + std::max(area.top(), 0)) / kRowHeight;
  const int lastRow = std::min(rows - 1, (offset + std::max(area.bottom(), 0)) / kRowHeight);
  const bool focused = hasFocus();
  const QFont& cellFont = font();
  std::vector<TextSpan> spans;
  for (int row = firstRow; row <= lastRow; ++row) {
    const int y = row * kRowHeight - offset;
    const bool selected = selection_.Contains(row);
    const bool current = focused && row == currentRow_;
    for (int column = 0; column < columns; ++column) {
      const int x = header_->sectionViewportPosition(column);
      const int width = header_->sectionSize(column);
      if (width <= 0 || x + width <= area.left() || x > area.right()) continue;
      const QModelIndex index = model_.index(row, column);
      CellFrame frame;
      frame.row = selected;
      frame.current = current;
      frame.first = column == 0;
      frame.last = column == columns - 1;
      frame.found = row == markedRow_ && column == markedColumn_;
      model_.Highlights(ShownRow{static_cast<uint32_t>(row)}, column, spans);
      PaintCell(&painter, QRect(x, y, width, kRowHeight), cellFont, model_.data(index, Qt::BackgroundRole).value<QColor>(),
                model_.data(index, Qt::ForegroundRole).value<QColor>(),
                model_.data(index, JournalTableModel::kPaintRole).toString(), frame, spans);
    }
  }
}

void JournalGrid::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::SelectAll)) {
    selectAll();
    return;
  }
  const int rows = model_.rowCount();
  const bool none = currentRow_ < 0;
  int row = none ? 0 : currentRow_;
  int column = none ? 0 : currentColumn_;
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  switch (event->key()) {
    case Qt::Key_Up: row = none ? 0 : row - 1; break;
    case Qt::Key_Down: row = none ? 0 : row + 1; break;
    case Qt::Key_Left: column = none ? 0 : column - 1; break;
    case Qt::Key_Right: column = none ? 0 : column + 1; break;
    case Qt::Key_PageUp: {
      // As a table view: the row a viewport's height above the current row's bottom, counted
      // in the rows' own heights, not in the viewport, whose top it may lie above.
      const long long above = static_cast<long long>(row + 1) * kRowHeight - 1 - viewport()->height();
      row = above < 0 ? 0 : static_cast<int>(above / kRowHeight);
      break;
    }
    case Qt::Key_PageDown: {
      const int below = rowAt(row * kRowHeight - VerticalOffset() + viewport()->height());
      row = below < 0 ? rows - 1 : below;
      break;
    }
    case Qt::Key_Home: row = 0; break;
    case Qt::Key_End: row = rows - 1; break;
    case Qt::Key_Space:
      if ((modifiers & Qt::ControlModifier) && !none) {
        Toggle(currentRow_);
        return;
      }
      [[fallthrough]];
    default:
      QAbstractScrollArea::keyPressEvent(event);
      return;
  }
  if (rows == 0 || ColumnCount() == 0) return;
  row = std::clamp(row, 0, rows - 1);
  column = std::clamp(column, 0, ColumnCount() - 1);
  // Ctrl with an arrow or a page key moves the current row alone (Ctrl+Space then toggles
  // it); Ctrl+Home and Ctrl+End go to the first and the last row, selection and all.
  const bool ends = event->key() == Qt::Key_Home || event->key() == Qt::Key_End;
  if (modifiers & Qt::ShiftModifier) {
    if (anchor_ < 0 && !none) anchor_ = currentRow_;
    ExtendTo(row);
  } else if (!(modifiers & Qt::ControlModifier) || ends) {
    SelectOnly(row);
  }
  SetCurrent(row, column);
  EnsureVisible(row, column);
}

void JournalGrid::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const int row = rowAt(at.y());
  const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
  const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
  const bool left = event->button() == Qt::LeftButton;
  pressedRow_ = left ? row : -1;
  selectOnRelease_ = false;
  if (row < 0) {
    if (left && !shift && !control) clearSelection();
    return;
  }
  if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
  if (!shift && !control && selection_.Contains(row)) {
    // A selected row stays with the others until the release: a right click keeps them all
    // for the context menu.
    selectOnRelease_ = left;
    kept_ = selection_;
    anchor_ = row;
  } else if (left && shift) {
    ExtendTo(row);
  } else if (left && control) {
    Toggle(row);
  } else if (!shift && !control) {
    SelectOnly(row);
  }
  SetCurrent(row, std::max(header_->logicalIndexAt(at.x()), 0));
}

void JournalGrid::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton) || pressedRow_ < 0) return;
  dragAt_ = event->position().toPoint();
  // Past the top or the bottom the rows scroll on, by the timer, while the button is held.
  const bool outside = dragAt_.y() < 0 || dragAt_.y() >= viewport()->height();
  if (outside && !dragScroll_->isActive()) {
    DragScroll();
    dragScroll_->start();
  } else if (!outside) {
    dragScroll_->stop();
  }
  DragTo(dragAt_.y());
}

void JournalGrid::DragScroll() {
  // The release, wherever it comes, ends the drag.
  if (pressedRow_ < 0) {
    dragScroll_->stop();
    return;
  }
  // Farther from the edge, faster: a row a step, and a row more for each row's height beyond.
  QScrollBar* rows = verticalScrollBar();
  const int y = dragAt_.y();
  if (y < 0) rows->setValue(rows->value() - 1 - (-y) / kRowHeight);
  if (y >= viewport()->height()) rows->setValue(rows->value() + 1 + (y - viewport()->height()) / kRowHeight);
  DragTo(y);
}

void JournalGrid::DragTo(int y) {
  int row = rowAt(std::clamp(y, 0, viewport()->height() - 1));
  if (row < 0) row = model_.rowCount() - 1;
  if (row < 0 || row == currentRow_) return;
  selectOnRelease_ = false;
  ExtendTo(row);
  SetCurrent(row, currentColumn_);
}

void JournalGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (selectOnRelease_ && event->button() == Qt::LeftButton && rowAt(event->position().toPoint().y()) == pressedRow_) {
    SelectOnly(pressedRow_);
  }
  selectOnRelease_ = false;
  pressedRow_ = -1;
  dragScroll_->stop();
}

bool JournalGrid::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Resize) gutter_->update();
  return QAbstractScrollArea::viewportEvent(event);
}

void JournalGrid::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void JournalGrid::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

}  // namespace vantorel
