#pragma once
// The table page's commands that tidy the table.

#include "merge/result_table.h"

#include <cstdint>
#include <vector>

namespace merge {

// "Удалить пустые строки ": removes every empty row of the visible table in
// one run; `file_name_column` (CheckBox1) leaves the last column out of the
// emptiness test. Rows keep their order; the table keeps its size.
void DeleteEmptyRows(ResultTable& table, bool file_name_column, bool name_first = false);
// The rows DeleteEmptyRows takes out, ascending. With `name_first` the
// names stand in the first column instead of the last.
std::vector<std::int32_t> EmptyRows(const ResultTable& table, bool file_name_column,
                                    bool name_first = false);

// "Очистить".
inline void ClearTable(ResultTable& table) {
  table.ClearAll();
}

} // namespace merge
