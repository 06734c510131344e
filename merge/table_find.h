#pragma once
// Find and replace over the cells that can be current: columns FixedCols ..
// ColCount - 1 of rows FixedRows .. RowCount - 1 (FindOptions may say
// otherwise), row by row, left to right. Replacing records the old texts, so that it can be undone.

#include "merge/result_table.h"
#include "platform/progress.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace merge {

struct FindOptions {
  bool match_case = false; // "Учитывать регистр"
  bool whole_cell = false; // "Ячейка целиком": the cell's whole text equals the text sought
  // The area's first column and row; negative: FixedCols and FixedRows (the
  // numbering view makes every cell current-able: 0 and 0).
  std::int32_t first_col = -1;
  std::int32_t first_row = -1;
};

struct CellPlace {
  std::int32_t col = 0;
  std::int32_t row = 0;
  friend bool operator==(CellPlace a, CellPlace b) { return a.col == b.col && a.row == b.row; }
};

// The first cell after `from` (before it, `backward`) that holds `needle`,
// going round the area's end to its start; `from` itself is looked at last.
// None for an empty needle or when no cell holds it.
std::optional<CellPlace> FindCell(const ResultTable& table, std::string_view needle,
                                  const FindOptions& options, CellPlace from, bool backward,
                                  platform::Progress* progress = nullptr);

// Whether one text holds the needle, as FindCell looks.
bool TextMatches(std::string_view text, std::string_view needle, const FindOptions& options,
                 TextEncoding encoding);

// The cells a replacement changed and their texts before it.
struct Replacement {
  std::string needle;
  std::string replacement;
  FindOptions options;
  struct Cell {
    CellPlace place;
    std::string old_text;
  };
  std::vector<Cell> cells;
  std::int64_t count = 0; // occurrences replaced (a whole cell counts once)
};

// Replaces every occurrence in one cell (the whole text with whole_cell);
// adds the cell to `record` when it changed. Returns the occurrences.
std::int64_t ReplaceInCell(ResultTable& table, CellPlace place, Replacement& record);
// Every cell of the area; the count is in the record.
Replacement ReplaceAll(ResultTable& table, std::string_view needle, std::string_view replacement,
                       const FindOptions& options, platform::Progress* progress = nullptr);
// Undo and redo.
void RestoreReplaced(ResultTable& table, const Replacement& record);
void ReplaceAgain(ResultTable& table, const Replacement& record);

} // namespace merge
