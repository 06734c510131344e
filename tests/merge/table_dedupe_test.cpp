#include "merge/table_dedupe.h"
#include "tidy_model.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using tidy_test::Model;

// The model: a row repeats when its cells inside the extents equal an
// earlier row's; the others move up whole, the freed rows are empty.
Model Deduplicated(const Model& m, bool keep_header, std::int32_t fixed_rows,
                   std::int64_t& removed) {
  const std::int32_t first = keep_header ? 1 : 0;
  std::set<std::vector<std::string>> seen;
  std::vector<std::int32_t> kept;
  for (std::int32_t r = first; r < m.rows; ++r) {
    std::vector<std::string> visible;
    for (std::int32_t c = 0; c < m.cols; ++c)
      visible.push_back(m.At(c, r));
    if (seen.insert(visible).second)
      kept.push_back(r);
  }
  removed = m.rows - first - static_cast<std::int64_t>(kept.size());
  Model out = m;
  for (std::int32_t r = first; r < m.rows; ++r)
    out.DropRow(r);
  for (std::size_t i = 0; i < kept.size(); ++i)
    out.PutRow(first + static_cast<std::int32_t>(i), m.Row(kept[i]));
  out.rows = std::max<std::int32_t>(m.rows - static_cast<std::int32_t>(removed), fixed_rows + 1);
  return out;
}

TEST(RemoveDuplicateRows, KeepsTheFirstOfEachAndUndoGivesTheTableBack) {
  std::mt19937 rnd(6);
  const std::vector<std::string> words = {"", "", "a", "b", "1", "shared.csv", "a b"};
  for (int round = 0; round < 400; ++round) {
    merge::ResultTable table;
    const Model before = tidy_test::Random(rnd, table, words, round % 10 == 0 ? 300 : 30);
    const bool keep_header = rnd() % 3 == 0;
    const std::int32_t reach_col = before.cols + 3, reach_row = before.rows + 3;
    std::int64_t expected_removed = 0;
    // RowCount never falls to the fixed row.
    const Model after = Deduplicated(before, keep_header, table.FixedRows(), expected_removed);
    merge::RemovedDuplicates removed = merge::RemoveDuplicateRows(table, keep_header);
    ASSERT_EQ(removed.removed, expected_removed) << "round " << round;
    ASSERT_EQ(tidy_test::Read(table, reach_col, reach_row), after) << "round " << round;
    // A compaction while the rows are aside keeps them.
    table.SetCell(0, before.rows + 5, std::string(300, 'x'));
    table.SetCell(0, before.rows + 5, "");
    merge::RestoreDuplicates(table, removed);
    ASSERT_EQ(tidy_test::Read(table, reach_col, reach_row), before) << "round " << round;
    merge::RemoveDuplicatesAgain(table, removed);
    ASSERT_EQ(tidy_test::Read(table, reach_col, reach_row), after) << "round " << round;
    merge::ForgetDuplicates(table, removed);
    ASSERT_EQ(tidy_test::Read(table, reach_col, reach_row), after) << "round " << round;
  }
}

TEST(RemoveDuplicateRows, RowsAsideSurviveClearingTheTable) {
  merge::ResultTable table;
  table.SetColCount(1);
  table.SetRowCount(3);
  for (int r = 0; r < 3; ++r)
    table.SetCell(0, r, "same");
  merge::RemovedDuplicates removed = merge::RemoveDuplicateRows(table, false);
  EXPECT_EQ(removed.removed, 2);
  EXPECT_EQ(table.RowCount(), 2); // the fixed row stays with one more
  table.ClearAll();
  merge::RestoreDuplicates(table, removed);
  table.SetRowCount(3);
  EXPECT_EQ(table.GetCell(0, 1), "same");
  EXPECT_EQ(table.GetCell(0, 2), "same");
}

} // namespace
