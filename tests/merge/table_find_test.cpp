#include "merge/table_find.h"
#include "merge/text_fold.h"
#include "tidy_model.h"

#include <gtest/gtest.h>

namespace {

using tidy_test::Model;

std::string Folded(const std::string& t, bool match_case) {
  std::string out = t;
  if (!match_case)
    for (char& c : out)
      if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c + 32);
  return out;
}

bool ModelMatch(const std::string& text, const std::string& needle, const merge::FindOptions& o) {
  const std::string t = Folded(text, o.match_case), n = Folded(needle, o.match_case);
  return o.whole_cell ? t == n : t.find(n) != std::string::npos;
}

// The area's cells in reading order, and the first match after `from`.
std::optional<merge::CellPlace> ModelFind(const Model& m, std::int32_t fixed_cols,
                                          std::int32_t fixed_rows, const std::string& needle,
                                          const merge::FindOptions& o, merge::CellPlace from,
                                          bool backward) {
  std::vector<merge::CellPlace> area;
  for (std::int32_t r = fixed_rows; r < m.rows; ++r)
    for (std::int32_t c = fixed_cols; c < m.cols; ++c)
      area.push_back({c, r});
  const auto at = std::find(area.begin(), area.end(), from);
  if (area.empty() || at == area.end() || needle.empty())
    return std::nullopt;
  const std::size_t n = area.size(), start = static_cast<std::size_t>(at - area.begin());
  for (std::size_t step = 1; step <= n; ++step) {
    const std::size_t i = backward ? (start + n - step % n) % n : (start + step) % n;
    if (ModelMatch(m.At(area[i].col, area[i].row), needle, o))
      return area[i];
  }
  return std::nullopt;
}

const std::vector<std::string> kWords = {"",           "",     "abc",  "ABC", "xabcx", "ab",
                                         "shared.csv", "bcab", "abab", "q",   "Ab"};

TEST(FindCell, FindsTheNextMatchAsReadingTheAreaDoes) {
  std::mt19937 rnd(7);
  const std::vector<std::string> needles = {"ab", "abc", "AB", "shared", "zz", "b", "abab"};
  for (int round = 0; round < 300; ++round) {
    merge::ResultTable table;
    const Model m = tidy_test::Random(rnd, table, kWords, round % 10 == 0 ? 200 : 20);
    for (int probe = 0; probe < 10; ++probe) {
      merge::FindOptions o;
      o.match_case = rnd() % 2 == 0;
      o.whole_cell = rnd() % 3 == 0;
      if (rnd() % 3 == 0)
        o.first_col = o.first_row = 0; // the numbering view: every cell
      const std::int32_t lo_col = o.first_col < 0 ? table.FixedCols() : 0;
      const std::int32_t lo_row = o.first_row < 0 ? table.FixedRows() : 0;
      const std::string& needle = needles[rnd() % needles.size()];
      const bool backward = rnd() % 2 == 0;
      const merge::CellPlace from{
          table.FixedCols() +
              static_cast<std::int32_t>(
                  rnd() % static_cast<unsigned>(std::max(1, m.cols - table.FixedCols()))),
          table.FixedRows() +
              static_cast<std::int32_t>(
                  rnd() % static_cast<unsigned>(std::max(1, m.rows - table.FixedRows())))};
      const auto want = ModelFind(m, lo_col, lo_row, needle, o, from, backward);
      const auto got = merge::FindCell(table, needle, o, from, backward);
      ASSERT_EQ(got.has_value(), want.has_value()) << "round " << round << " needle " << needle;
      if (got) {
        ASSERT_TRUE(*got == *want) << "round " << round << " got " << got->col << "," << got->row
                                   << " want " << want->col << "," << want->row;
      }
    }
  }
}

TEST(ReplaceAll, ReplacesEveryOccurrenceInTheAreaAndUndoes) {
  std::mt19937 rnd(8);
  for (int round = 0; round < 300; ++round) {
    merge::ResultTable table;
    const Model before = tidy_test::Random(rnd, table, kWords, round % 10 == 0 ? 200 : 20);
    merge::FindOptions o;
    o.match_case = rnd() % 2 == 0;
    o.whole_cell = rnd() % 3 == 0;
    const std::string needle = rnd() % 2 ? "ab" : "ABC";
    const std::string with = rnd() % 3 == 0 ? "" : "<ab>";
    Model after = before;
    std::int64_t count = 0;
    for (std::int32_t r = table.FixedRows(); r < before.rows; ++r)
      for (std::int32_t c = table.FixedCols(); c < before.cols; ++c) {
        const std::string text = before.At(c, r);
        std::string out;
        if (o.whole_cell) {
          if (!ModelMatch(text, needle, o))
            continue;
          out = with;
          ++count;
        } else {
          const std::string f = Folded(text, o.match_case), n = Folded(needle, o.match_case);
          std::size_t at = 0;
          for (std::size_t hit; (hit = f.find(n, at)) != std::string::npos; at = hit + n.size()) {
            out += text.substr(at, hit - at) + with;
            ++count;
          }
          out += text.substr(at);
        }
        if (out.empty())
          after.cells.erase({r, c});
        else
          after.cells[{r, c}] = out;
      }
    const merge::Replacement record = merge::ReplaceAll(table, needle, with, o);
    const std::int32_t reach_col = before.cols + 3, reach_row = before.rows + 3;
    ASSERT_EQ(record.count, count) << "round " << round;
    ASSERT_EQ(tidy_test::Read(table, reach_col, reach_row), after) << "round " << round;
    merge::RestoreReplaced(table, record);
    ASSERT_EQ(tidy_test::Read(table, reach_col, reach_row), before) << "round " << round;
    merge::ReplaceAgain(table, record);
    ASSERT_EQ(tidy_test::Read(table, reach_col, reach_row), after) << "round " << round;
  }
}

TEST(FoldCase, CyrillicAndLatinCapitalsInBothEncodings) {
  std::string out;
  merge::FoldCase("\xC0\xDF\xA8\xE0Zz", merge::TextEncoding::kCp1251, out); // АЯЁаZz
  EXPECT_EQ(out, "\xE0\xFF\xB8\xE0zz");
  merge::FoldCase("АПРЯЁЀÀ×Zя", merge::TextEncoding::kUtf8, out);
  EXPECT_EQ(out, "апряёѐà×zя");
  merge::FindOptions o;
  EXPECT_TRUE(merge::TextMatches("Город МОСКВА", "москва", o, merge::TextEncoding::kUtf8));
  o.match_case = true;
  EXPECT_FALSE(merge::TextMatches("Город МОСКВА", "москва", o, merge::TextEncoding::kUtf8));
}

} // namespace
