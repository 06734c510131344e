#include "merge/table_commands.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Fills the table with `rows` (an empty string is an empty cell) and sets the
// extents to their size.
void Fill(merge::ResultTable& table, const Rows& rows) {
  table.SetRowCount(static_cast<std::int32_t>(rows.size()));
  table.SetColCount(static_cast<std::int32_t>(rows.front().size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      table.SetCell(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r), rows[r][c]);
}

Rows Visible(const merge::ResultTable& table) {
  Rows rows(table.RowCount(), std::vector<std::string>(table.ColCount()));
  for (std::int32_t r = 0; r < table.RowCount(); ++r)
    for (std::int32_t c = 0; c < table.ColCount(); ++c)
      rows[r][c] = std::string(table.GetCell(c, r));
  return rows;
}

struct DeleteCase {
  const char* name;
  bool file_name_column;
  Rows before;
  Rows after;
};

void PrintTo(const DeleteCase& c, std::ostream* os) {
  *os << c.name;
}

class DeleteEmptyRows : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteEmptyRows, OneRunRemovesEveryEmptyRow) {
  const DeleteCase& c = GetParam();
  merge::ResultTable table;
  Fill(table, c.before);
  const auto cols = table.ColCount();
  const auto rows = table.RowCount();
  merge::DeleteEmptyRows(table, c.file_name_column);
  EXPECT_EQ(Visible(table), c.after);
  EXPECT_EQ(table.ColCount(), cols);
  EXPECT_EQ(table.RowCount(), rows);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeleteEmptyRows,
    ::testing::Values(
        DeleteCase{"TwoAdjacent",
                   false,
                   {{"A1", "A2"}, {"", ""}, {"", ""}, {"B1", "B2"}},
                   {{"A1", "A2"}, {"B1", "B2"}, {"", ""}, {"", ""}}},
        DeleteCase{"EveryColumnMovesUp",
                   false,
                   {{"A1", "A2"}, {"", ""}, {"B1", "B2"}, {"C1", "C2"}},
                   {{"A1", "A2"}, {"B1", "B2"}, {"C1", "C2"}, {"", ""}}},
        DeleteCase{"SeveralRuns",
                   false,
                   {{"A"}, {""}, {""}, {""}, {"B"}, {""}, {""}, {""}, {""}, {"C"}, {""}},
                   {{"A"}, {"B"}, {"C"}, {""}, {""}, {""}, {""}, {""}, {""}, {""}, {""}}},
        DeleteCase{"RowZero", false, {{"", ""}, {"A1", "A2"}}, {{"A1", "A2"}, {"", ""}}},
        DeleteCase{"EmptyLastRowStays", false, {{"A", "B"}, {"", ""}}, {{"A", "B"}, {"", ""}}},
        DeleteCase{"NoEmptyRow", false, {{"A", ""}, {"", "B"}}, {{"A", ""}, {"", "B"}}},
        DeleteCase{"SpacesAreNotEmpty",
                   false,
                   {{" ", ""}, {"", ""}, {"x", ""}},
                   {{" ", ""}, {"x", ""}, {"", ""}}},
        DeleteCase{"NameColumnLeftOutOfTheTest",
                   true,
                   {{"A1", "A2", "f"}, {"", "", "f"}, {"B1", "B2", "f"}},
                   {{"A1", "A2", "f"}, {"B1", "B2", "f"}, {"", "", ""}}},
        DeleteCase{"WithoutNameColumnTheNameCounts",
                   false,
                   {{"A1", "A2", "f"}, {"", "", "f"}, {"B1", "B2", "f"}},
                   {{"A1", "A2", "f"}, {"", "", "f"}, {"B1", "B2", "f"}}},
        DeleteCase{"ColCountOneWithNameColumnDoesNothing",
                   true,
                   {{""}, {"x"}, {""}, {"y"}},
                   {{""}, {"x"}, {""}, {"y"}}},
        DeleteCase{"ColCountOneWithoutNameColumn",
                   false,
                   {{""}, {"x"}, {""}, {"y"}},
                   {{"x"}, {"y"}, {""}, {""}}},
        DeleteCase{"AllEmpty", true, {{"", "f"}, {"", ""}}, {{"", ""}, {"", ""}}}),
    [](const ::testing::TestParamInfo<DeleteCase>& info) { return std::string(info.param.name); });

TEST(DeleteEmptyRowsStore, CellsOutsideTheExtentsStay) {
  merge::ResultTable table;
  Fill(table, {{"A", ""}, {"", ""}, {"B", ""}});
  table.SetCell(5, 1, "right of row 1");
  table.SetCell(5, 2, "right of row 2");
  table.SetCell(0, 3, "below");
  merge::DeleteEmptyRows(table, false);
  EXPECT_EQ(Visible(table), (Rows{{"A", ""}, {"B", ""}, {"", ""}}));
  // Cells beyond ColCount do not move, and count for nothing in the test.
  EXPECT_EQ(table.GetCell(5, 1), "right of row 1");
  EXPECT_EQ(table.GetCell(5, 2), "right of row 2");
  EXPECT_EQ(table.GetCell(0, 3), "below");
}

TEST(DeleteEmptyRowsStore, LargeTableInOneRun) {
  merge::ResultTable table;
  const std::int32_t rows = 200000;
  table.SetRowCount(rows);
  for (std::int32_t r = 0; r < rows; r += 3)
    table.SetCell(1, r, std::to_string(r));
  merge::DeleteEmptyRows(table, false);
  const std::int32_t kept = (rows + 2) / 3;
  for (std::int32_t i = 0; i < kept; ++i)
    ASSERT_EQ(table.GetCell(1, i), std::to_string(i * 3)) << i;
  for (std::int32_t r = kept; r < rows; ++r)
    ASSERT_EQ(table.GetCell(1, r), "") << r;
}

TEST(ClearTable, EmptiesAndShrinks) {
  merge::ResultTable table;
  table.SetColCount(40);
  table.SetRowCount(500);
  for (std::int32_t r = 0; r < 500; ++r)
    for (std::int32_t c = 0; c < 40; c += 7)
      table.SetCell(c, r, "x");
  merge::ClearTable(table);
  EXPECT_EQ(table.ColCount(), 2);
  EXPECT_EQ(table.RowCount(), 2);
  table.SetColCount(40);
  table.SetRowCount(500);
  for (std::int32_t r = 0; r < 500; ++r)
    for (std::int32_t c = 0; c < 40; ++c)
      ASSERT_EQ(table.GetCell(c, r), "");
}

} // namespace
