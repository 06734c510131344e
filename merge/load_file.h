#pragma once
// The two placements of one source file into the table.

#include "merge/collect.h"
#include "merge/read_progress.h"
#include "merge/result_table.h"

#include <cstdint>
#include <string>

namespace merge {

// Stacks the file's used lines from `start_row` down, fields from column 0,
// the file-name cell (when asked for) right after a row's last field.
// ColCount grows to c + 2 for a field at column c >= ColCount, and to take in
// a name cell landing at or beyond it; RowCount grows to take in each row.
// Throws platform::FileError or Cancelled, keeping what was placed.
void LoadFileVertical(ResultTable& table, const std::string& path, std::int32_t start_row,
                      std::int32_t skip_count, const CollectOptions& options,
                      ReadProgress* progress = nullptr);

// Puts the file's used lines side by side with what is there: line k into
// row start_row + k, fields from `start_column`. After the file, with file
// names on, ColCount grows to the last name column + 1 (never lowered); a
// file that placed no row leaves ColCount as it is.
void LoadFileHorizontal(ResultTable& table, const std::string& path, std::int32_t start_row,
                        std::int32_t skip_count, std::int32_t start_column,
                        const CollectOptions& options, ReadProgress* progress = nullptr);

} // namespace merge
