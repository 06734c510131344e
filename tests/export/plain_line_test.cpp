#include "export/plain_line.h"
#include "merge/result_table.h"
#include "tests/support/line_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using merge::ResultTable;

// JoinPlainLine against the cells one by one, over rows of every make: packed
// lines, long texts, interned texts, gaps, several segments, cells beyond
// the columns asked for; and a buffer too small at every size.
TEST(JoinPlainLine, WritesThePlainLineOrReportsNoRoom) {
  ResultTable t;
  const std::string line = "ab;;c;" + std::string(40, 'L') + ";z";
  const std::vector<std::string_view> fields = testing_support::LineFields(line);
  const auto tag = t.InternText("tag");
  t.PlaceCells(0, 0, fields.data(), fields.size(), &tag);
  t.PlaceCells(0, 9, fields.data(), 2, nullptr); // a second segment after a gap
  t.SetCell(1, 1, "only");                       // re-encoded with gaps
  t.SetCell(30, 1, "far");
  for (int row = 0; row < 3; ++row)
    for (int cols : {0, 1, 3, 6, 12, 40}) {
      std::string want;
      for (int c = 0; c < cols; ++c)
        want += std::string(t.GetCell(c, row)) + "|";
      std::string out(want.size() + 8, '\0');
      ASSERT_EQ(exporter::JoinPlainLine(t, row, cols, '|', out.data(), out.size()), want.size());
      EXPECT_EQ(out.substr(0, want.size()), want) << "row " << row << ", " << cols << " columns";
      for (std::size_t room = 0; room < want.size(); ++room)
        EXPECT_EQ(exporter::JoinPlainLine(t, row, cols, '|', out.data(), room), exporter::kNoRoom);
    }
}

} // namespace
