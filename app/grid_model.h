#pragma once
// The grid's view of the ResultTable: a table model that reads the cells it is
// asked for and copies nothing. The fixed row (column) is not part of the
// model's rows (columns): while FixedRows is 1 the cells of row 0 are the
// horizontal header's texts, and while FixedCols is 1 the cells of column 0
// are the vertical header's texts, so they stay in view when the grid scrolls
// and can never become the current cell. In the numbering view every cell is
// a cell of the model and the headers show row numbers and column letters
// (or the header row's names) instead.

#include "merge/result_table.h"
#include "merge/table_observer.h"

#include <QAbstractTableModel>
#include <QString>

#include <cstddef>

namespace app {

class GridModel : public QAbstractTableModel, private merge::TableObserver {
  Q_OBJECT
public:
  // data() of this role: the cell's length in bytes (qulonglong), so that an
  // editor can refuse a cell without copying it.
  static constexpr int kCellBytesRole = Qt::UserRole + 1;
  // What is shown of a cell (its display text, a header, the corner) is cut
  // after this many bytes and ends in "…": laying out a text of millions of
  // characters would freeze the window and take gigabytes. Editing and
  // saving always use the whole text.
  static constexpr std::size_t kShownBytesLimit = 4096;

  explicit GridModel(merge::ResultTable& table, QObject* parent = nullptr);
  ~GridModel() override;

  merge::ResultTable& Table() { return table_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The numbering view; `header_names` shows row 0's texts over the columns
  // instead of letters (a column without a name keeps its letter).
  void SetNumbering(bool on);
  void SetHeaderNames(bool on);
  bool Numbering() const { return numbering_; }
  // The fixed counts the model currently shows: none in the numbering view
  // (they lag the table's only while a bulk change is running).
  int FixedRows() const { return fixed_rows_; }
  int FixedCols() const { return fixed_cols_; }
  // Table coordinates of a model index's row and column.
  int TableRow(int model_row) const { return model_row + fixed_rows_; }
  int TableCol(int model_col) const { return model_col + fixed_cols_; }
  // What is shown of cell (0, 0) while both a fixed row and a fixed column
  // exist.
  QString CornerText() const;

signals:
  // The fixed row or column appeared or went away (the headers change role).
  void FixedCountsChanged();
  // The corner cell's text may have changed.
  void CornerChanged();

private:
  // merge::TableObserver
  void CellChanged(std::int32_t col, std::int32_t row) override;
  void ExtentsChanged(std::int32_t old_col_count, std::int32_t old_row_count) override;
  void RowChanged(std::int32_t row) override;
  void RowMoved(std::int32_t from, std::int32_t to) override;
  void ColumnMoved(std::int32_t from, std::int32_t to) override;
  void TableReset() override;

  // The fixed counts the table asks the model to show.
  int WantedFixedRows() const { return numbering_ ? 0 : table_.FixedRows(); }
  int WantedFixedCols() const { return numbering_ ? 0 : table_.FixedCols(); }
  QString NumberingHeader(int section, Qt::Orientation orientation) const;
  // The cell's whole text.
  QString CellText(int col, int row) const;
  // Stores an edited text into table cell (col, row).
  bool StoreEdit(int col, int row, const QVariant& value);
  // What is shown of it: at most kShownBytesLimit bytes, cut where a
  // character starts, then "…".
  QString ShownText(int col, int row) const;
  // Announces the difference between the extents the model shows and the
  // table's; `repaint_all` also says that any cell may have changed.
  void Sync(bool repaint_all);
  // Qt's views keep a few bytes for every row they are told of and cannot
  // say when they get no memory for them: before the model shows more rows,
  // the room is made sure of, and rows that cannot be shown are cut from the
  // table, as a collect that ran out of memory there would have ended.
  // Returns false when rows were cut.
  bool FitExtentsToMemory(int& new_rows, int new_cols);
  void TellShortOfMemory(bool fitted);
  void RepaintRows(int first_table_row, int last_table_row);
  void RepaintCols(int first_table_col, int last_table_col);

  merge::ResultTable& table_;
  // The extents as last announced to the views.
  int rows_ = 0;
  int cols_ = 0;
  int fixed_rows_ = 0;
  int fixed_cols_ = 0;
  // Set while the model itself cuts the table's extents.
  bool cutting_ = false;
  bool numbering_ = false;
  bool header_names_ = false;
};

} // namespace app
