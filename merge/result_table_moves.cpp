// ResultTable's moves of a row or a column to another place, as the grid's
// drags ask for them.

#include "merge/result_table.h"

#include "platform/errors.h"

#include <algorithm>
#include <string>

namespace merge {

using namespace codec;

namespace {

[[noreturn]] void ThrowListIndex(std::int64_t index) {
  throw platform::Error("List index out of bounds (" + std::to_string(index) + ")");
}

// A negative index is out of bounds; moving to the same place changes nothing.
bool IsMove(std::int32_t from, std::int32_t to) {
  if (from < 0)
    ThrowListIndex(from);
  if (to < 0)
    ThrowListIndex(to);
  return from != to;
}

} // namespace

void ResultTable::MoveRow(std::int32_t from, std::int32_t to) {
  if (!IsMove(from, to))
    return;
  InvalidateCursor();
  const RowRef moved = rows_.Get(from);
  // Any slot a row can land in exists before the first row shifts.
  rows_.PrepareMove(from, to);
  if (from < to) {
    for (std::int32_t i = from; i < to; ++i)
      rows_.Set(i, rows_.Get(i + 1));
  } else {
    for (std::int32_t i = from; i > to; --i)
      rows_.Set(i, rows_.Get(i - 1));
  }
  rows_.Set(to, moved);
  if (observer_ && bulk_depth_ == 0)
    observer_->RowMoved(from, to);
}

void ResultTable::MoveColumn(std::int32_t from, std::int32_t to) {
  if (!IsMove(from, to))
    return;
  InvalidateCursor();
  const std::int32_t lo = std::min(from, to);
  const std::int32_t hi = std::max(from, to);
  const auto reaches = [lo, hi](RowRef stored) {
    return stored && RowEnd(stored) > lo && RowBase(stored) <= hi;
  };
  // Every rewritten row is encoded before the first one is replaced, so
  // that running out of memory halfway leaves every row as it was.
  std::size_t reaching = 0;
  for (std::int64_t r = 0; r < rows_.StoredEnd(); ++r)
    reaching += reaches(rows_.Get(static_cast<std::int32_t>(r))) ? 1 : 0;
  std::vector<std::pair<std::int32_t, RowRef>> rewritten;
  rewritten.reserve(reaching);
  for (std::int64_t r = 0; r < rows_.StoredEnd(); ++r) {
    const auto row = static_cast<std::int32_t>(r);
    const RowRef stored = rows_.Get(row);
    if (!reaches(stored))
      continue;
    std::vector<Cell> cells = DecodeChain(stored);
    bool touched = false;
    for (Cell& c : cells) {
      if (c.col < lo || c.col > hi)
        continue;
      touched = true;
      if (c.col == from)
        c.col = to;
      else
        c.col += from < to ? -1 : 1;
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
  if (observer_ && bulk_depth_ == 0)
    observer_->ColumnMoved(from, to);
}

} // namespace merge
