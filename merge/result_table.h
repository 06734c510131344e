#pragma once
// The one table of the program: a sparse store of 8-bit texts addressed by
// (column, row), with the extents ColCount and RowCount that say which part of
// the store is shown, edited and saved. Cells may lie outside the extents;
// they stay stored, unchanged, until an extent grows over them again.
//
// Storage is compact because a collected table is as large as its input: each
// row is a short chain of segments, each covering consecutive columns, packed
// into large arena blocks (row_codec.h: one length byte per short cell, no
// per-cell heap allocation), found through a RowDirectory. Texts that stand
// on many rows (the file-name tag) are interned once and referenced.
//
// How long a text read from the table stays valid: a view from GetCell,
// SharedText or ForEachCellInRow points into the store, and any change to
// the table (every non-const member) may compact the store and move every
// text. A view is therefore good until the next change, and no longer: copy
// it (std::string) to keep it across one. Handing a view of this table to
// SetCell or PlaceCells is fine: they read their input before freeing
// anything.

#include "merge/row_codec.h"
#include "merge/row_directory.h"
#include "merge/table_observer.h"
#include "merge/text_encoding.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace merge {

class CellArena;

class ResultTable {
public:
  ResultTable();
  ~ResultTable();
  ResultTable(const ResultTable&) = delete;
  ResultTable& operator=(const ResultTable&) = delete;

  // The text at (col, row), empty when nothing is stored there. Any
  // non-negative index works, inside or outside the extents; a negative row
  // throws "List index out of bounds (%d)", a negative column reads as empty.
  // The view stays valid until the table is next changed (see above).
  std::string_view GetCell(std::int32_t col, std::int32_t row) const;
  // Stores the text; the empty text removes the cell. Negative indexes throw.
  void SetCell(std::int32_t col, std::int32_t row, std::string_view text);

  std::int32_t ColCount() const { return col_count_; }
  std::int32_t RowCount() const { return row_count_; }
  std::int32_t FixedCols() const { return fixed_cols_; }
  std::int32_t FixedRows() const { return fixed_rows_; }
  // Values below 1 become 1; a fixed count that no longer fits is lowered
  // for good. No cell is created, moved or removed.
  void SetColCount(std::int32_t value);
  void SetRowCount(std::int32_t value);

  // Removes every cell of the row, at every column, also beyond ColCount.
  void ClearRow(std::int32_t row);
  // ClearRow for rows 0..RowCount-1, then RowCount 2 and ColCount 2. Rows at
  // or beyond the old RowCount keep their cells; fixed counts are kept. The
  // encoding is free again.
  void ClearAll();
  // ClearAll, but the whole content (cells, extents, encoding) moves into
  // `kept`, which must be fresh, instead of being dropped: nothing is
  // copied but the rows at or beyond the old RowCount, which ClearAll
  // leaves in place. The step that keeps "Очистить" for undo. With
  // `keep_extents` the extents stay as they were (every row inside them
  // empty), so that a collect's own ClearAll then leaves exactly what one
  // ClearAll would: a second one would also empty rows the first one kept.
  void ClearAllKeeping(ResultTable& kept, bool keep_extents = false);
  // Exchanges the whole content with `other` in constant time; each keeps
  // its observer (told of a reset) and its compaction threshold.
  void SwapContents(ResultTable& other) noexcept;

  // The encoding of the cells: Windows-1251 until the first collect into
  // the empty table fixes it (FixTableEncoding); free again after ClearAll.
  TextEncoding Encoding() const { return encoding_; }
  bool EncodingFixed() const { return encoding_fixed_; }
  // Puts back an encoding state read earlier (undo of a first collect).
  void RestoreEncoding(TextEncoding encoding, bool fixed) {
    encoding_ = encoding;
    encoding_fixed_ = fixed;
  }
  // Only records the encoding; the cells are left as they are.
  void SetEncoding(TextEncoding encoding) {
    encoding_ = encoding;
    encoding_fixed_ = true;
  }
  // Whether some cell may hold bytes that are not UTF-8 (a file read as
  // UTF-8 that was not): a UTF-8 save then repairs each cell it writes.
  bool MayHoldInvalidUtf8() const { return may_hold_invalid_utf8_; }
  void NoteInvalidUtf8() { may_hold_invalid_utf8_ = true; }
  // The row `from` is taken out and put back at index `to`; the rows between
  // shift by one. Cells at every column travel with their rows.
  void MoveRow(std::int32_t from, std::int32_t to);
  // The same for a column, inside every stored row, also beyond RowCount.
  void MoveColumn(std::int32_t from, std::int32_t to);

  // Rows first..end-1 turned round so that the row at `middle` comes first
  // (std::rotate); cells at every column travel with their rows, rows
  // outside the range stay. One pass, whatever the number of rows moved.
  void RotateRows(std::int32_t first, std::int32_t middle, std::int32_t end);
  // The same for columns, inside every stored row, also beyond RowCount.
  void RotateColumns(std::int32_t first, std::int32_t middle, std::int32_t end);
  // One past the last row that may hold a cell, inside the extents or not.
  std::int64_t StoredRowsEnd() const { return rows_.StoredEnd(); }

  // --- Fast paths for the engine's bulk work ------------------------------

  // Interns a text for PlaceCells; equal texts give the same id.
  SharedTextId InternText(std::string_view text);
  // Writes `count` fields at columns start, start+1, ... of `row`, then, when
  // `trailing` is not null, the interned text *trailing at the next column;
  // exactly as SetCell of each would (an empty field removes its cell).
  // Extents are not touched.
  void PlaceCells(std::int32_t row, std::int32_t start_col, const std::string_view* fields,
                  std::size_t count, const SharedTextId* trailing);
  // Removes the given rows (ascending, each in 0..RowCount-1) from the visible
  // table: the visible part (columns 0..ColCount-1) of each later row moves up
  // over the gaps, the freed rows at the bottom become empty in those columns,
  // and cells beyond ColCount or at or beyond RowCount stay where they are.
  void RemoveVisibleRows(const std::vector<std::int32_t>& rows);
  // Takes RemoveVisibleRows(rows) back, at the same extents: `removed` holds
  // the visible part of the k-th removed row in its row k.
  void RestoreVisibleRows(const std::vector<std::int32_t>& rows, const ResultTable& removed);

  // --- Whole rows in another order, or set aside (result_table_order.cpp) ---

  // Puts rows first .. first + count - 1 in another order: row first + i
  // takes the old row first + order[i] (`order` a permutation of 0 .. count
  // - 1); `back` undoes that. Rows travel whole, cells beyond ColCount
  // included; nothing is copied and nothing allocated but the row pages.
  void PermuteRows(std::int32_t first, const std::uint32_t* order, std::size_t count, bool back);

  // Takes the rows first + i with bit i of `taken` set out of rows first ..
  // end - 1: the rows after each close up, whole, and the freed rows at the
  // end become empty. The taken rows are not copied: they stay in the store,
  // set aside under the id returned, until PutBackRows or DropSetAside.
  // Extents are not changed.
  using SetAsideId = std::uint64_t;
  SetAsideId TakeOutRows(std::int32_t first, std::int32_t end,
                         const std::vector<std::uint64_t>& taken);
  // Undoes TakeOutRows with the same rows and bits (the table as it left it).
  void PutBackRows(SetAsideId id, std::int32_t first, std::int32_t end,
                   const std::vector<std::uint64_t>& taken);
  // Lets rows set aside go for good.
  void DropSetAside(SetAsideId id);

  // Reads the cells of one row in column order: calls visit(col, text) for
  // every non-empty cell with col in [first_col, end_col). `visit` must not
  // change the table.
  template <typename Visit>
  void ForEachCellInRow(std::int32_t row, std::int32_t first_col, std::int32_t end_col,
                        Visit&& visit) const;

  // Garbage (space of replaced rows) is reclaimed by copying the live rows
  // once it passes this many bytes and half the store; 64 MiB by default.
  void SetCompactionThreshold(std::size_t bytes) { compact_above_ = bytes; }

  // The row as the codec stores it (empty for a row without cells), for
  // readers that walk it with codec::RowPieces; a negative row throws.
  codec::RowRef StoredRow(std::int32_t row) const;
  // The text of an interned id met in a stored row, and how many there are
  // (ids count from 0).
  std::string_view SharedText(SharedTextId id) const;
  std::size_t SharedTextCount() const;

  // Bytes held by the store (arena blocks, row directory, interned texts).
  std::size_t MemoryUsed() const;

  // The view that is told of changes; null for none.
  void SetObserver(TableObserver* observer) { observer_ = observer; }
  TableObserver* Observer() const { return observer_; }
  // Between BeginBulkChange and EndBulkChange the observer hears nothing but
  // one TableReset at the end (nesting allowed).
  void BeginBulkChange();
  void EndBulkChange();

private:
  struct SharedIndex;

  codec::RowRef EncodeCells(const std::vector<codec::Cell>& cells);
  void ReplaceRow(std::int32_t row, const std::vector<codec::Cell>& cells);
  Segment* ChainForAppend(std::int32_t row, codec::RowRef compact);
  bool AppendCells(std::int32_t row, std::int32_t start_col, const std::string_view* fields,
                   std::size_t count, const SharedTextId* trailing);
  void DropRow(std::int32_t row);
  void InvalidateCursor() const;
  void MaybeCompact();
  void NotifyCell(std::int32_t col, std::int32_t row);
  void NotifyReset();
  void NotifyExtents(std::int32_t old_cols, std::int32_t old_rows);
  // Rewrites every stored row holding a cell in [lo, hi] with the columns
  // there mapped by `to`; all rows are encoded before the first is replaced.
  template <typename Map> void RemapColumns(std::int32_t lo, std::int32_t hi, Map to);

  std::int32_t col_count_ = 2;
  std::int32_t row_count_ = 2;
  std::int32_t fixed_cols_ = 1;
  std::int32_t fixed_rows_ = 1;

  RowDirectory rows_;
  std::unique_ptr<CellArena> arena_;
  // Arenas of a compaction that ran out of memory halfway: rows not yet
  // copied still live there. Freed by the next compaction that finishes.
  std::vector<std::unique_ptr<CellArena>> retired_arenas_;
  std::size_t garbage_ = 0;
  std::size_t compact_above_ = std::size_t{64} << 20; // arena bytes no row refers to any more
  // After a compaction ran out of memory, the garbage the next one waits for.
  std::size_t compact_again_at_ = 0;
  // The row (compact, or the last segment of a chain) written last and its
  // end: a row built left to right grows it in place while nothing else was
  // allocated since.
  codec::RowRef tail_row_;
  unsigned char* tail_end_ = nullptr;
  std::unique_ptr<SharedIndex> shared_;

  // Remembers where the last read stopped, so that reading a row left to
  // right costs no new lookup.
  struct Cursor {
    std::int32_t row = -1;
    std::int32_t col = 0;
    const Segment* segment = nullptr; // null in a compact row
    const unsigned char* pos = nullptr;
  };
  mutable Cursor cursor_;

  // Rows taken out for a later PutBackRows, each as its packed slot
  // (row_reach.h); compaction keeps them as it keeps the rows.
  struct SetAside;
  std::unique_ptr<SetAside> set_aside_;
  void CompactSetAside(bool& copied_any);
  bool AnySetAside() const;
  std::size_t SetAsideMemory() const;

  TableObserver* observer_ = nullptr;
  int bulk_depth_ = 0;
  TextEncoding encoding_ = TextEncoding::kCp1251;
  bool encoding_fixed_ = false;
  bool may_hold_invalid_utf8_ = false;
};

// Holds the table in one bulk change while it lives, so that a view hears
// one reset at the end, also when an error ends the work.
class BulkChange {
public:
  explicit BulkChange(ResultTable& table) : table_(table) { table_.BeginBulkChange(); }
  ~BulkChange() { table_.EndBulkChange(); }
  BulkChange(const BulkChange&) = delete;
  BulkChange& operator=(const BulkChange&) = delete;

private:
  ResultTable& table_;
};

template <typename Visit>
void ResultTable::ForEachCellInRow(std::int32_t row, std::int32_t first_col, std::int32_t end_col,
                                   Visit&& visit) const {
  codec::RowPieces<false> pieces(StoredRow(row), end_col);
  codec::RowPiece piece;
  while (pieces.Next(piece)) {
    if (piece.col < first_col)
      continue;
    const auto col = static_cast<std::int32_t>(piece.col);
    if (piece.kind == codec::RowPiece::kShared)
      visit(col, SharedText(static_cast<SharedTextId>(piece.size)));
    else if (piece.size > 0)
      visit(col, std::string_view(reinterpret_cast<const char*>(piece.data), piece.size));
  }
}

} // namespace merge
