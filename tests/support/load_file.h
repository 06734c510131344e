#pragma once
// The two placements of one source file by name, for the tests of
// merge::LoadFile.

#include "merge/collect.h"
#include "merge/read_progress.h"
#include "merge/result_table.h"

#include <cstdint>
#include <string>

namespace merge {

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
