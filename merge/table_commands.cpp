#include "merge/table_commands.h"

#include <vector>

namespace merge {

void DeleteEmptyRows(ResultTable& table, bool file_name_column) {
  // With file names on, the last column holds them and is left out of the
  // test, so a row holding only its name counts as empty.
  const std::int32_t tested_end = table.ColCount() - (file_name_column ? 1 : 0);
  if (tested_end <= 0)
    return; // no column to test: ColCount 1 with the name column
  std::vector<std::int32_t> empty_rows;
  const std::int32_t row_count = table.RowCount();
  for (std::int32_t row = 0; row < row_count; ++row) {
    bool empty = true;
    table.ForEachCellInRow(row, 0, tested_end,
                           [&empty](std::int32_t, std::string_view) { empty = false; });
    if (empty)
      empty_rows.push_back(row);
  }
  if (empty_rows.empty())
    return;
  BulkChange bulk(table);
  table.RemoveVisibleRows(empty_rows);
}

} // namespace merge
