#include "merge/cell_number.h"
#include "merge/table_sort.h"
#include "tidy_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using tidy_test::Model;

TEST(CellNumber, ReadsNumbersAsPeopleWriteThem) {
  struct Case {
    const char* text;
    bool number;
    double value;
  } cases[] = {
      {"12", true, 12},       {"-3.5", true, -3.5}, {"3,25", true, 3.25},      {" 7 ", true, 7},
      {"+4", true, 4},        {",5", true, 0.5},    {"5.", true, 5},           {"1e3", true, 1000},
      {"2,5E-1", true, 0.25}, {"-0", true, 0},      {"1e999", true, HUGE_VAL}, {"", false, 0},
      {"-", false, 0},        {"1,2,3", false, 0},  {"12a", false, 0},         {"1 000", false, 0},
      {"e5", false, 0},       {"1e", false, 0},     {"2015-03-12", false, 0},
  };
  for (const Case& c : cases) {
    const auto got = merge::CellNumber(c.text);
    EXPECT_EQ(got.has_value(), c.number) << c.text;
    if (got && c.number) {
      EXPECT_EQ(*got, c.value) << c.text;
    }
  }
}

// The model's order: numbers by value, then texts by their bytes, empty
// cells last; descending turns the first two round; ties keep their order.
int Rank(const std::string& text, bool descending) {
  if (text.empty())
    return 2;
  const bool number = merge::CellNumber(text).has_value();
  return number != descending ? 0 : 1;
}

bool Before(const std::string& a, const std::string& b, bool descending) {
  const int ra = Rank(a, descending), rb = Rank(b, descending);
  if (ra != rb)
    return ra < rb;
  if (ra == 2)
    return false;
  const auto na = merge::CellNumber(a), nb = merge::CellNumber(b);
  if (na)
    return descending ? *na > *nb : *na < *nb;
  return descending ? b < a : a < b;
}

Model SortedModel(const Model& m, const merge::SortOptions& o) {
  const std::int32_t first = o.keep_header ? 1 : 0;
  std::vector<std::int32_t> rows;
  for (std::int32_t r = first; r < m.rows; ++r)
    rows.push_back(r);
  std::stable_sort(rows.begin(), rows.end(), [&](std::int32_t a, std::int32_t b) {
    return Before(m.At(o.column, a), m.At(o.column, b), o.descending);
  });
  Model out = m;
  for (std::int32_t r = first; r < m.rows; ++r)
    out.DropRow(r);
  for (std::size_t i = 0; i < rows.size(); ++i)
    out.PutRow(first + static_cast<std::int32_t>(i), m.Row(rows[i]));
  return out;
}

const std::vector<std::string> kWords = {"",
                                         "",
                                         "1",
                                         "10",
                                         "9",
                                         "-2",
                                         "1,5",
                                         "1.50",
                                         "abc",
                                         "Abc",
                                         "ab",
                                         "abd",
                                         "ab\0c",
                                         "\1",
                                         " 3 ",
                                         "x y",
                                         "1e2",
                                         "007",
                                         "-0",
                                         "b",
                                         "B",
                                         std::string(40, 'z'),
                                         std::string(40, 'z') + "a",
                                         std::string(41, 'z'),
                                         "zz"};

TEST(SortRows, MatchesAStableSortAndUndoGivesTheTableBack) {
  std::mt19937 rnd(21);
  std::vector<std::string> words = kWords;
  words[12] = std::string("ab\0c", 4);
  for (int round = 0; round < 400; ++round) {
    merge::ResultTable table;
    const Model before = tidy_test::Random(rnd, table, words, round % 10 == 0 ? 300 : 40);
    merge::SortOptions o;
    o.column = static_cast<std::int32_t>(rnd() % static_cast<unsigned>(before.cols + 1));
    o.descending = rnd() % 2 == 0;
    o.keep_header = rnd() % 3 == 0;
    const merge::RowOrder order = merge::SortRows(table, o, merge::ByteOrderKey);
    const std::int32_t reach_col = before.cols + 3, reach_row = before.rows + 3;
    ASSERT_EQ(tidy_test::Read(table, reach_col, reach_row), SortedModel(before, o))
        << "round " << round;
    order.Restore(table);
    ASSERT_EQ(tidy_test::Read(table, reach_col, reach_row), before) << "round " << round;
    order.Apply(table);
    ASSERT_EQ(tidy_test::Read(table, reach_col, reach_row), SortedModel(before, o));
  }
}

TEST(SortRows, TextsFollowTheKeyGiven) {
  merge::ResultTable table;
  table.SetColCount(2);
  table.SetRowCount(5);
  const char* texts[] = {"b", "A", "a", "B", "c"};
  for (int r = 0; r < 5; ++r)
    table.SetCell(1, r, texts[r]);
  // Letter case left out of the key: "A" and "a" tie and keep their order.
  const merge::TextSortKey folded = [](std::string_view t, std::string& key) {
    for (char c : t)
      key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  };
  merge::SortRows(table, {1, false, false}, folded);
  std::string got;
  for (int r = 0; r < 5; ++r)
    got += std::string(table.GetCell(1, r)) + " ";
  EXPECT_EQ(got, "A a b B c ");
}

class CancelAtOnce : public platform::Progress {
public:
  void FileStarted(const std::string&, std::int64_t) override {}
  void BytesDone(std::int64_t) override {}
  bool CancelRequested() override { return true; }
};

TEST(SortRows, CancelledLeavesTheTableAsItWas) {
  std::mt19937 rnd(5);
  merge::ResultTable table;
  const Model before = tidy_test::Random(rnd, table, kWords);
  CancelAtOnce cancel;
  EXPECT_THROW(merge::SortRows(table, {0, false, false}, merge::ByteOrderKey, &cancel),
               platform::Cancelled);
  EXPECT_EQ(tidy_test::Read(table, before.cols + 3, before.rows + 3), before);
}

} // namespace
