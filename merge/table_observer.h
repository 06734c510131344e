#pragma once
// How a view learns of changes to the ResultTable. Every call comes after
// the change; a view that must announce changes beforehand (a Qt model)
// keeps its own copy of the extents and compares.

#include <cstdint>

namespace merge {

class TableObserver {
public:
  virtual ~TableObserver() = default;
  // One cell inside the extents changed.
  virtual void CellChanged(std::int32_t col, std::int32_t row) = 0;
  // ColCount, RowCount, FixedCols or FixedRows changed.
  virtual void ExtentsChanged(std::int32_t old_col_count, std::int32_t old_row_count) = 0;
  // A whole row changed (ClearRow).
  virtual void RowChanged(std::int32_t row) = 0;
  // MoveRow / MoveColumn happened (from != to).
  virtual void RowMoved(std::int32_t from, std::int32_t to) = 0;
  virtual void ColumnMoved(std::int32_t from, std::int32_t to) = 0;
  // Anything may have changed (the end of a bulk change, ClearAll, ...).
  virtual void TableReset() = 0;
};

} // namespace merge
