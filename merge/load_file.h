#pragma once
// Placing one source file into the table: one routine, and the two
// placements by the names the collect drivers use.

#include "merge/collect.h"
#include "merge/read_progress.h"
#include "merge/result_table.h"

#include <cstdint>
#include <string>

namespace merge {

// Puts the file's used lines (the first options.skip_count dropped) into row
// start_row + k, fields from `start_column`, the file-name cell (when asked
// for) right after a row's last field. ColCount grows to c + 2 for a field at
// column c >= ColCount, and to take in a name cell landing at or beyond it;
// RowCount grows to take in each row; neither is ever lowered. A file that is
// not available (IsSourceFileAvailable) is skipped without a word. Throws
// platform::FileError or platform::Cancelled, keeping what was placed.
void LoadFile(ResultTable& table, const std::string& path, std::int32_t start_row,
              std::int32_t start_column, const CollectOptions& options,
              ReadProgress* progress = nullptr);

// Stacks the file's used lines from `start_row` down, fields from column 0.
inline void LoadFileVertical(ResultTable& table, const std::string& path, std::int32_t start_row,
                             const CollectOptions& options, ReadProgress* progress = nullptr) {
  LoadFile(table, path, start_row, 0, options, progress);
}

// Puts the file's used lines side by side with what is there, fields from
// `start_column`.
inline void LoadFileHorizontal(ResultTable& table, const std::string& path, std::int32_t start_row,
                               std::int32_t start_column, const CollectOptions& options,
                               ReadProgress* progress = nullptr) {
  LoadFile(table, path, start_row, start_column, options, progress);
}

} // namespace merge
