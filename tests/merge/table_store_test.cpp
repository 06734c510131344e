// The table's storage at its edges: the largest indexes, rows on both sides
// of a row-directory page, arena blocks rolling over (with the block
// prepared ahead on a helper thread), and how long a cell view lives.

#include "merge/cell_arena.h"
#include "merge/result_table.h"
#include "merge/row_directory.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

using merge::ResultTable;

TEST(TableStore, WritesAtTheLargestIndexes) {
  ResultTable t;
  const std::int32_t last = INT32_MAX - 1; // the extents reach INT32_MAX
  t.SetCell(0, last, "last row");
  t.SetCell(last, 0, "last column");
  t.SetCell(last, last, "corner");
  t.SetRowCount(INT32_MAX);
  t.SetColCount(INT32_MAX);
  EXPECT_EQ(t.GetCell(0, last), "last row");
  EXPECT_EQ(t.GetCell(last, 0), "last column");
  EXPECT_EQ(t.GetCell(last, last), "corner");
  EXPECT_EQ(t.GetCell(last - 1, last), "");
  std::string seen;
  t.ForEachCellInRow(last, 0, INT32_MAX, [&](std::int32_t col, std::string_view text) {
    seen += std::to_string(col) + "=" + std::string(text) + ";";
  });
  EXPECT_EQ(seen, "0=last row;" + std::to_string(last) + "=corner;");
  t.ClearRow(last);
  EXPECT_EQ(t.GetCell(last, last), "");
  EXPECT_EQ(t.GetCell(last, 0), "last column");
}

TEST(TableStore, RowsOnBothSidesOfADirectoryPage) {
  const auto edge = static_cast<std::int32_t>(merge::RowDirectory::kRowsPerPage);
  ResultTable t;
  t.SetCell(1, edge - 1, "before");
  t.SetCell(1, edge, "after");
  t.SetRowCount(edge + 2);
  EXPECT_EQ(t.GetCell(1, edge - 1), "before");
  EXPECT_EQ(t.GetCell(1, edge), "after");
  // A move across the edge shifts the rows between, on both pages.
  t.MoveRow(edge - 1, edge + 1);
  EXPECT_EQ(t.GetCell(1, edge - 1), "after");
  EXPECT_EQ(t.GetCell(1, edge), "");
  EXPECT_EQ(t.GetCell(1, edge + 1), "before");
  t.MoveColumn(1, 0);
  EXPECT_EQ(t.GetCell(0, edge + 1), "before");
  t.ClearAll();
  EXPECT_EQ(t.GetCell(0, edge - 1), "");
  EXPECT_EQ(t.GetCell(0, edge + 1), "");
}

// Runs of a quarter block fill blocks one after the other; past four blocks
// the next one is prepared on a helper thread. No run may overlap another or
// lose its bytes, and TryExtend never reaches past a block.
TEST(TableStore, ArenaBlocksRollOverAndThePreparedBlockIsUsed) {
  constexpr std::size_t kRun = merge::CellArena::kBlockSize / 4;
  merge::CellArena arena;
  std::vector<unsigned char*> runs;
  for (int i = 0; i < 7 * 4; ++i) {
    unsigned char* run = arena.Allocate(kRun);
    run[0] = static_cast<unsigned char>(i);
    run[kRun - 1] = static_cast<unsigned char>(~i);
    if (i % 4 == 3) { // the block is full now
      EXPECT_FALSE(arena.TryExtend(run + kRun, 1));
    }
    runs.push_back(run);
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    EXPECT_EQ(runs[i][0], static_cast<unsigned char>(i)) << i;
    EXPECT_EQ(runs[i][kRun - 1], static_cast<unsigned char>(~i)) << i;
  }
  EXPECT_EQ(arena.Used(), runs.size() * kRun);
  arena.Release();
  EXPECT_EQ(arena.Used(), 0u);
  EXPECT_NE(arena.Allocate(16), nullptr); // usable again after a release
}

// A view is good until the next change: reads in between leave it alone,
// and a view handed back to the table is read before anything moves, even
// when that change compacts the store.
TEST(TableStore, CellViewsLiveUntilTheNextChange) {
  ResultTable t;
  t.SetCompactionThreshold(0); // every change that leaves garbage compacts
  const std::string long_text(100, 'v');
  t.SetCell(0, 0, long_text);
  t.SetCell(1, 0, "b");
  const std::string_view view = t.GetCell(0, 0);
  EXPECT_EQ(t.GetCell(1, 0), "b");
  t.ForEachCellInRow(0, 0, 2, [](std::int32_t, std::string_view) {});
  EXPECT_EQ(view, long_text); // only reads happened
  for (int i = 0; i < 20; ++i) {
    t.SetCell(0, 0, t.GetCell(0, 0)); // rewrites the row: garbage, compaction
    t.SetCell(2, i + 1, t.GetCell(0, 0));
  }
  EXPECT_EQ(t.GetCell(0, 0), long_text);
  EXPECT_EQ(t.GetCell(2, 20), long_text);
  const std::string_view fields[] = {t.GetCell(1, 0), t.GetCell(0, 0)};
  t.PlaceCells(0, 0, fields, 2, nullptr); // views of the row it replaces
  EXPECT_EQ(t.GetCell(0, 0), "b");
  EXPECT_EQ(t.GetCell(1, 0), long_text);
}

} // namespace
