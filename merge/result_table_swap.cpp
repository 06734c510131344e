// ResultTable's whole content changing hands: a step that replaces the
// table keeps the old one itself for undo, moved and not copied.

#include "merge/result_table.h"

#include "merge/cell_arena.h"

#include <utility>

namespace merge {

void ResultTable::SwapContents(ResultTable& other) noexcept {
  using std::swap;
  swap(col_count_, other.col_count_);
  swap(row_count_, other.row_count_);
  swap(fixed_cols_, other.fixed_cols_);
  swap(fixed_rows_, other.fixed_rows_);
  swap(rows_, other.rows_);
  swap(arena_, other.arena_);
  swap(retired_arenas_, other.retired_arenas_);
  swap(garbage_, other.garbage_);
  swap(compact_again_at_, other.compact_again_at_);
  swap(tail_row_, other.tail_row_);
  swap(tail_end_, other.tail_end_);
  swap(shared_, other.shared_);
  swap(set_aside_, other.set_aside_); // their rows live in the arena that changes hands
  swap(encoding_, other.encoding_);
  swap(encoding_fixed_, other.encoding_fixed_);
  InvalidateCursor();
  other.InvalidateCursor();
  NotifyReset();
  other.NotifyReset();
}

void ResultTable::ClearAllKeeping(ResultTable& kept, bool keep_extents) {
  BulkChange bulk(*this);
  SwapContents(kept);
  // What ClearAll keeps: the fixed counts, and the rows below the extents.
  fixed_cols_ = kept.fixed_cols_;
  fixed_rows_ = kept.fixed_rows_;
  if (keep_extents) {
    col_count_ = kept.col_count_;
    row_count_ = kept.row_count_;
  }
  for (std::int64_t r = kept.row_count_; r < kept.rows_.StoredEnd(); ++r) {
    const auto row = static_cast<std::int32_t>(r);
    kept.ForEachCellInRow(row, 0, INT32_MAX, [&](std::int32_t col, std::string_view text) {
      SetCell(col, row, text);
    });
  }
}

} // namespace merge
