#pragma once
// Reading the cells of a stored row without the table's read cursor, so that
// work on another thread may read the table while the window only paints it.

#include "merge/result_table.h"
#include "merge/row_codec.h"

#include <cstdint>
#include <string_view>

namespace merge {

// The text at `col` of a stored row (empty when none).
inline std::string_view CellOfRow(const ResultTable& table, codec::RowRef row, std::int32_t col) {
  codec::RowPieces<false> pieces(row, std::int64_t{col} + 1);
  codec::RowPiece piece;
  while (pieces.Next(piece)) {
    if (piece.col < col)
      continue;
    if (piece.kind == codec::RowPiece::kShared)
      return table.SharedText(static_cast<SharedTextId>(piece.size));
    return std::string_view(reinterpret_cast<const char*>(piece.data), piece.size);
  }
  return {};
}

// Calls visit(col, text) for every non-empty cell of a stored row below
// `end_col`, in column order.
template <typename Visit>
void ForEachCellOfRow(const ResultTable& table, codec::RowRef row, std::int32_t end_col,
                      Visit&& visit) {
  codec::RowPieces<false> pieces(row, end_col);
  codec::RowPiece piece;
  while (pieces.Next(piece)) {
    const auto col = static_cast<std::int32_t>(piece.col);
    if (piece.kind == codec::RowPiece::kShared)
      visit(col, table.SharedText(static_cast<SharedTextId>(piece.size)));
    else if (piece.size > 0)
      visit(col, std::string_view(reinterpret_cast<const char*>(piece.data), piece.size));
  }
}

} // namespace merge
