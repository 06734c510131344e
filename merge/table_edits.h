#pragma once
// The grid's editing tools as operations on the table, each made through
// the step that takes it back (table_history.h): clearing, copying and
// pasting a range, deleting and inserting rows and columns, and the steps of
// "Удалить пустые строки " and of a collect that adds to the table.
// Coordinates are the table's; ranges are half-open.

#include "merge/result_table.h"
#include "merge/table_history.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace merge {

struct CellRange {
  std::int32_t first_col = 0;
  std::int32_t first_row = 0;
  std::int32_t end_col = 0; // one past the last column
  std::int32_t end_row = 0;
};

// Delete: empties the cells of the range; the extents stay.
std::unique_ptr<CellEdits> ClearRange(ResultTable& table, const CellRange& range);

// Ctrl+C: the range as tab-separated text in the table's encoding, each row
// ended by "\r\n"; a cell holding a tab, a line break or a leading quote is
// put in quotes, its quotes doubled, as spreadsheets do.
std::string CopyRange(const ResultTable& table, const CellRange& range);

// Ctrl+V: tab-separated text (rows ended by "\n" or "\r\n", the last ending
// optional, quoted cells as CopyRange writes them) written from (col, row)
// on; the extents grow as collecting grows them (ColCount to c + 2 for a
// field at c >= ColCount, RowCount to take each row).
std::unique_ptr<CellEdits> PasteText(ResultTable& table, std::int32_t col, std::int32_t row,
                                     std::string_view text);

// "Удалить строки" / "Удалить столбцы": `count` rows (columns) from `first`,
// which must lie inside the extents (null otherwise), go out with their
// cells at every column (row), and the later ones up to the extent move up
// (left) as MoveRow (MoveColumn) moves them; the extent shrinks by `count`,
// never below one past the fixed row (column), and cells beyond it stay.
std::unique_ptr<HistoryStep> DeleteRows(ResultTable& table, std::int32_t first, std::int32_t count);
std::unique_ptr<HistoryStep> DeleteColumns(ResultTable& table, std::int32_t first,
                                           std::int32_t count);
// "Вставить строку" / "Вставить столбец": an empty row (column) at `at`, the
// ones from there to the extent moving down (right) by one; the extent grows
// by one over the first row (column) beyond it, whose cells were hidden and
// are let go (kept by the step).
std::unique_ptr<HistoryStep> InsertRow(ResultTable& table, std::int32_t at);
std::unique_ptr<HistoryStep> InsertColumn(ResultTable& table, std::int32_t at);

// The rows RemoveVisibleRows takes out ("Удалить пустые строки ", removing
// duplicates): takes them out and keeps their visible parts. `rows`
// ascending, inside the extents.
std::unique_ptr<HistoryStep> RemoveRowsKept(ResultTable& table, std::vector<std::int32_t> rows);
// DeleteEmptyRows through RemoveRowsKept; null when no row was empty.
std::unique_ptr<HistoryStep> DeleteEmptyRowsKept(ResultTable& table, bool file_name_column,
                                                 bool name_first = false);

// A collect that adds to the table ("Добавить", or side by side): before it,
// keeps what lies in rows from `first_row` on and in columns from
// `first_col` on (all it may write), and the extents and the encoding;
// Finish after it. Undo and redo exchange that part of the table.
class AddedPart : public HistoryStep {
public:
  AddedPart(const ResultTable& table, std::int32_t first_row, std::int32_t first_col);
  void Finish(const ResultTable& table);
  void Undo(ResultTable& table) override { Exchange(table); }
  void Redo(ResultTable& table) override { Exchange(table); }
  std::size_t Bytes() const override { return sizeof *this + other_->MemoryUsed(); }

private:
  struct State {
    std::int32_t cols, rows;
    TextEncoding encoding;
    bool encoding_fixed;
  };
  void Exchange(ResultTable& table);
  std::int32_t first_row_;
  std::int32_t first_col_;
  std::unique_ptr<ResultTable> other_; // the part as the table does not hold it now
  State other_state_;
};

} // namespace merge
