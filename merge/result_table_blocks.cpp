// ResultTable's moves of whole blocks of rows and columns (deleting and
// inserting them, and taking that back), and the way back from
// RemoveVisibleRows.

#include "merge/result_table.h"

#include "platform/errors.h"

#include <algorithm>
#include <string>

namespace merge {

using namespace codec;

namespace {

void CheckRange(std::int32_t first, std::int32_t middle, std::int32_t end) {
  if (first < 0 || middle < first || end < middle)
    throw platform::Error("List index out of bounds (" + std::to_string(first) + ")");
}

} // namespace

void ResultTable::RotateRows(std::int32_t first, std::int32_t middle, std::int32_t end) {
  CheckRange(first, middle, end);
  if (middle == first || middle == end)
    return;
  InvalidateCursor();
  std::vector<RowRef> order;
  order.reserve(static_cast<std::size_t>(end - first));
  for (std::int32_t r = first; r < end; ++r)
    order.push_back(rows_.Get(r));
  std::rotate(order.begin(), order.begin() + (middle - first), order.end());
  // Every slot a row lands in exists before the first row is set.
  for (std::int32_t r = first; r < end; ++r) {
    if (order[static_cast<std::size_t>(r - first)])
      rows_.Reserve(r);
  }
  for (std::int32_t r = first; r < end; ++r)
    rows_.Set(r, order[static_cast<std::size_t>(r - first)]);
  NotifyReset();
}

template <typename Map> void ResultTable::RemapColumns(std::int32_t lo, std::int32_t hi, Map to) {
  const auto reaches = [lo, hi](RowRef stored) {
    return stored && RowEnd(stored) > lo && RowBase(stored) <= hi;
  };
  std::vector<std::pair<std::int32_t, RowRef>> rewritten;
  for (std::int64_t r = 0; r < rows_.StoredEnd(); ++r) {
    const auto row = static_cast<std::int32_t>(r);
    const RowRef stored = rows_.Get(row);
    if (!reaches(stored))
      continue;
    std::vector<Cell> cells = DecodeChain(stored);
    bool touched = false;
    for (Cell& c : cells) {
      if (c.col >= lo && c.col <= hi) {
        c.col = to(c.col);
        touched = true;
      }
    }
    if (!touched)
      continue;
    std::sort(cells.begin(), cells.end(),
              [](const Cell& a, const Cell& b) { return a.col < b.col; });
    rewritten.emplace_back(row, EncodeCells(cells));
  }
  for (const auto& [row, fresh] : rewritten) {
    garbage_ += ChainBytes(rows_.Get(row));
    rows_.Set(row, fresh); // the row held cells: its slot exists
  }
  MaybeCompact();
}

void ResultTable::RotateColumns(std::int32_t first, std::int32_t middle, std::int32_t end) {
  CheckRange(first, middle, end);
  if (middle == first || middle == end)
    return;
  InvalidateCursor();
  const std::int32_t ahead = end - middle;  // how far the first part goes right
  const std::int32_t back = middle - first; // how far the second part goes left
  RemapColumns(first, end - 1, [=](std::int32_t c) { return c < middle ? c + ahead : c - back; });
  NotifyReset();
}

void ResultTable::RestoreVisibleRows(const std::vector<std::int32_t>& rows,
                                     const ResultTable& removed) {
  if (rows.empty() || rows.front() < 0 || rows.back() >= row_count_)
    return;
  InvalidateCursor();
  const std::int32_t first = rows.front();
  const std::int32_t end = row_count_;
  const std::int32_t visible_end = col_count_;
  const auto visible_part = [visible_end](std::vector<Cell> cells) {
    cells.erase(std::find_if(cells.begin(), cells.end(),
                             [&](const Cell& c) { return c.col >= visible_end; }),
                cells.end());
    return cells;
  };
  const auto outside_part = [visible_end](const std::vector<Cell>& cells) {
    std::vector<Cell> outside;
    for (const Cell& c : cells)
      if (c.col >= visible_end)
        outside.push_back(c);
    return outside;
  };
  // Row w gets back the visible part of the row now at `from` (the kept rows
  // in their order) or of a removed one, and keeps its own cells beyond
  // ColCount. Every row is made before the first one is replaced.
  std::vector<RowRef> fresh(static_cast<std::size_t>(end - first));
  std::vector<char> whole(static_cast<std::size_t>(end - first), 0); // old rows reused as they are
  std::size_t next_removed = 0;
  std::int32_t from = first;
  for (std::int32_t w = first; w < end; ++w) {
    const RowRef own = rows_.Get(w);
    const bool own_outside = own && RowEnd(own) > visible_end;
    std::vector<Cell> cells;
    if (next_removed < rows.size() && rows[next_removed] == w) {
      removed.ForEachCellInRow(static_cast<std::int32_t>(next_removed), 0, visible_end,
                               [&](std::int32_t col, std::string_view text) {
                                 cells.push_back({col, false, 0, text});
                               });
      ++next_removed;
    } else {
      const RowRef source = rows_.Get(from++);
      if (!own_outside && (!source || RowEnd(source) <= visible_end)) {
        fresh[static_cast<std::size_t>(w - first)] = source; // moves as a whole
        whole[static_cast<std::size_t>(from - 1 - first)] = 1;
        if (source)
          rows_.Reserve(w);
        continue;
      }
      cells = visible_part(DecodeChain(source));
    }
    if (own_outside) {
      const std::vector<Cell> outside = outside_part(DecodeChain(own));
      cells.insert(cells.end(), outside.begin(), outside.end());
    }
    fresh[static_cast<std::size_t>(w - first)] = EncodeCells(cells);
    if (!cells.empty())
      rows_.Reserve(w);
  }
  // The old rows not reused whole were rewritten: their bytes are garbage.
  for (std::int32_t w = first; w < end; ++w) {
    if (!whole[static_cast<std::size_t>(w - first)])
      garbage_ += ChainBytes(rows_.Get(w));
  }
  for (std::int32_t w = first; w < end; ++w)
    rows_.Set(w, fresh[static_cast<std::size_t>(w - first)]);
  MaybeCompact();
  NotifyReset();
}

} // namespace merge
