#pragma once
// The table's model: each row a record of the current journal document, its cells made when
// they are painted or measured, never stored. Text, text colour and background come through
// the model's roles.
#include <QAbstractTableModel>
#include <memory>
#include <optional>
#include <QColor>
#include <QStringList>
#include <string>
#include <vector>

#include "document/JournalDocument.h"
#include "document/RecordMarks.h"
#include "document/RowNumbers.h"
#include "document/TextMatcher.h"

namespace vantorel {

// The colours of the table.
QColor ButtonFace();
QColor ToneColour(TextTone tone);

class JournalTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // The start of a cell's text, as much as a screen can show: what the painter draws. A
  // field of megabytes is neither decoded nor laid out whole on every repaint.
  static constexpr int kPaintRole = Qt::UserRole + 1;
  static constexpr size_t kPaintedBytes = 4096;

  explicit JournalTableModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  // Display, paint, foreground (the record's tone) and background (white for odd grid rows,
  // button face for even ones, the title row being grid row 0).
  QVariant data(const QModelIndex& index, int role) const override;
  // The titles: black on button face.
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void SetColumnCount(int count);
  // Empties the titles of the shown columns and every data row.
  void ClearColumns();
  // Drops every data row; the titles stay.
  void ClearRows();
  // Writes titles into row 0 from column 0 on; titles past the column count are kept.
  void WriteTitles(const QStringList& titles);
  // Shows the records of `document` that pass `state`; the row storage is kept from view to
  // view.
  void ShowSelection(const JournalDocument& document, const FilterState& state);
  // Shows `rows`, records of `document` selected beside the window; the storage of the rows
  // shown before is kept for the next selection (TakeSpareRows).
  void ShowPrepared(const JournalDocument& document, RowSet rows);
  // The rows of the view of `state` are at hand already (see AdoptRowStorage).
  bool Prepared(const JournalDocument& document, const FilterState& state) const {
    return &document == rowsOf_ && preparedFor_ && preparedFor_->SameRows(state);
  }
  // Room for the rows of a view selected beside the window: what earlier views left.
  RowSet TakeSpareRows() { return std::move(spare_); }
  // Adds the rows of the records from `first` on that pass `state`, after those shown: the
  // view of a journal that has grown, with its scroll place and selection kept.
  void AppendSelection(const JournalDocument& document, const FilterState& state, size_t first);
  // Takes `storage` as the room for the rows of the next view of `document`; with
  // `selectedFor`, `storage` holds the rows of the view of those filters already, and the next
  // view of them shows them without selecting again; `widest` is then each column's widest
  // text of those rows, when it was measured.
  void AdoptRowStorage(const JournalDocument& document, RowSet storage,
                       std::optional<FilterState> selectedFor = std::nullopt, std::vector<int> widest = {});
  // The widest texts of the rows at hand for the view of `state` (see AdoptRowStorage); empty
  // when they are not at hand or were not measured.
  std::vector<int> PreparedWidest(const JournalDocument& document, const FilterState& state) const {
    return Prepared(document, state) ? preparedWidest_ : std::vector<int>{};
  }
  // Rows of empty cells, as the grid has before any journal.
  void SetEmptyRows(int count);
  // Whether rows take the colour of their records: only while the current file is of a kind
  // that colours its rows.
  void SetColoured(bool coloured);

  // The texts whose places the cells mark: the texts to show of the view's filters.
  void SetHighlights(const std::vector<TextFilter>& texts);
  // The places of those texts in the cell's shown text (bytes of its first kPaintedBytes).
  void Highlights(ShownRow row, int column, std::vector<TextSpan>& out) const;
  // The marked records; the grid shows a gutter with them while there are any.
  void SetMarks(std::shared_ptr<const RecordMarks> marks);
  const RecordMarks* Marks() const { return marks_.get(); }
  bool Marked(ShownRow row) const;

  // The cell's text in journal bytes; empty for rows without a record.
  std::string_view CellBytes(ShownRow row, int column, std::string& scratch) const;
  QString Title(int column) const;
  const JournalDocument* Document() const { return document_; }
  const RowSet& Rows() const { return rows_; }
  // The record shown in a row; none for a row past the shown ones.
  std::optional<RecordIndex> RecordOf(ShownRow row) const;

 private:
  QStringList titles_;
  int columns_ = 0;
  const JournalDocument* document_ = nullptr;
  RowSet rows_;
  // The rows told to the views: rows_ may hold more for a moment while rows are added.
  size_t shown_ = 0;
  // The document whose view last filled rows_: its next view reuses their storage.
  // The filters the kept rows were selected for beside the window, and their columns' widest
  // texts, until the next view.
  std::optional<FilterState> preparedFor_;
  std::vector<int> preparedWidest_;
  const JournalDocument* rowsOf_ = nullptr;
  int emptyRows_ = 0;
  bool coloured_ = true;
  RowSet spare_;
  std::vector<TextMatcher> highlights_;
  std::shared_ptr<const RecordMarks> marks_;
  mutable std::string scratch_;
};

}  // namespace vantorel
