#pragma once
// Helpers of the collecting tests: a compact view of a table's cells.

#include "merge/collect.h"
#include "merge/result_table.h"
#include "platform/progress.h"
#include "tests/support/fake_candidates.h"
#include "tests/support/recording_progress.h"
#include "tests/support/temp_dir.h"

#include <string>
#include <vector>

namespace testing_support {

// The rows 0..rows-1, columns 0..cols-1 of the store, extents ignored.
inline std::vector<std::vector<std::string>> Cells(const merge::ResultTable& table, int cols,
                                                   int rows) {
  std::vector<std::vector<std::string>> out(rows, std::vector<std::string>(cols));
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      out[r][c] = std::string(table.GetCell(c, r));
  return out;
}

using Grid = std::vector<std::vector<std::string>>;

} // namespace testing_support
