// The table page's commands. "Удалить пустые строки ": finding the empty
// rows, and the table taking them out of its visible part in one pass.

#include "merge/table_commands.h"
#include "merge/result_table.h"

#include <algorithm>
#include <vector>

namespace merge {

using namespace codec;

void ResultTable::RemoveVisibleRows(const std::vector<std::int32_t>& rows) {
  if (rows.empty() || rows.front() < 0 || rows.front() >= row_count_)
    return;
  InvalidateCursor();
  const std::int32_t first = rows.front();
  const std::int32_t end = row_count_;
  const std::int64_t visible_end = col_count_;

  // A row whose cells all lie inside the visible columns moves as a whole;
  // only rows with cells beyond ColCount are split.
  struct Part {
    RowRef whole;
    std::vector<Cell> cells;
    bool split = false;
  };
  std::vector<Part> kept;
  std::vector<std::vector<Cell>> outside(static_cast<std::size_t>(end - first));
  std::vector<char> has_outside(static_cast<std::size_t>(end - first), 0);
  std::vector<RowRef> dropped;
  // At most one chain of each row is dropped while reading, one more while
  // writing.
  dropped.reserve(2 * static_cast<std::size_t>(end - first));
  std::size_t next_removed = 0;
  for (std::int32_t r = first; r < end; ++r) {
    const bool removed = next_removed < rows.size() && rows[next_removed] == r;
    if (removed)
      ++next_removed;
    const RowRef head = rows_.Get(r);
    if (!head || RowEnd(head) <= visible_end) {
      if (removed)
        dropped.push_back(head);
      else
        kept.push_back({head, {}, false});
      continue;
    }
    std::vector<Cell> cells = DecodeChain(head);
    const auto split_at = std::find_if(cells.begin(), cells.end(),
                                       [&](const Cell& c) { return c.col >= visible_end; });
    outside[static_cast<std::size_t>(r - first)].assign(split_at, cells.end());
    has_outside[static_cast<std::size_t>(r - first)] = 1;
    cells.erase(split_at, cells.end());
    if (!removed)
      kept.push_back({{}, std::move(cells), true});
    dropped.push_back(head);
  }

  // Every new row is made, and every slot it goes to exists, before the
  // first row is replaced: running out of memory halfway changes nothing.
  std::vector<RowRef> fresh(static_cast<std::size_t>(end - first));
  for (std::int32_t w = first; w < end; ++w) {
    const auto idx = static_cast<std::size_t>(w - first);
    Part* part = idx < kept.size() ? &kept[idx] : nullptr;
    if (!has_outside[idx] && (!part || !part->split)) {
      fresh[idx] = part ? part->whole : RowRef{};
      if (fresh[idx])
        rows_.Reserve(w);
      continue;
    }
    std::vector<Cell> cells;
    if (part) {
      if (part->split) {
        cells = std::move(part->cells);
      } else {
        cells = DecodeChain(part->whole);
        dropped.push_back(part->whole);
      }
    }
    cells.insert(cells.end(), outside[idx].begin(), outside[idx].end());
    fresh[idx] = EncodeCells(cells);
    if (fresh[idx])
      rows_.Reserve(w);
  }
  for (std::int32_t w = first; w < end; ++w)
    rows_.Set(w, fresh[static_cast<std::size_t>(w - first)]);
  for (const RowRef s : dropped)
    garbage_ += ChainBytes(s);
  MaybeCompact();
  NotifyReset();
}

std::vector<std::int32_t> EmptyRows(const ResultTable& table, bool file_name_column,
                                    bool name_first) {
  std::vector<std::int32_t> empty_rows;
  // With file names on, the last column (or with `name_first` the first)
  // holds them and is left out of the test, so a row holding only its name
  // counts as empty.
  const std::int32_t tested_begin = file_name_column && name_first ? 1 : 0;
  const std::int32_t tested_end = table.ColCount() - (file_name_column && !name_first ? 1 : 0);
  if (tested_end <= tested_begin)
    return empty_rows; // no column to test: ColCount 1 with the name column
  const std::int32_t row_count = table.RowCount();
  for (std::int32_t row = 0; row < row_count; ++row) {
    bool empty = true;
    table.ForEachCellInRow(row, tested_begin, tested_end,
                           [&empty](std::int32_t, std::string_view) { empty = false; });
    if (empty)
      empty_rows.push_back(row);
  }
  return empty_rows;
}

void DeleteEmptyRows(ResultTable& table, bool file_name_column, bool name_first) {
  const std::vector<std::int32_t> empty_rows = EmptyRows(table, file_name_column, name_first);
  if (empty_rows.empty())
    return;
  BulkChange bulk(table);
  table.RemoveVisibleRows(empty_rows);
}

} // namespace merge
