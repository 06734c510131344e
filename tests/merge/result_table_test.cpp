#include "merge/result_table.h"
#include "platform/errors.h"
#include "tests/support/line_fields.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using merge::ResultTable;

// The visible rectangle as text: cells joined by "|", rows by "/".
std::string Visible(const ResultTable& t) {
  std::string out;
  for (int r = 0; r < t.RowCount(); ++r) {
    if (r)
      out += '/';
    for (int c = 0; c < t.ColCount(); ++c) {
      if (c)
        out += '|';
      out += t.GetCell(c, r);
    }
  }
  return out;
}

void Fill(ResultTable& t, const std::vector<std::vector<std::string>>& rows) {
  for (int r = 0; r < static_cast<int>(rows.size()); ++r)
    for (int c = 0; c < static_cast<int>(rows[r].size()); ++c)
      t.SetCell(c, r, rows[r][c]);
}

struct RecordingObserver : merge::TableObserver {
  std::vector<std::string> events;
  void CellChanged(int32_t c, int32_t r) override {
    events.push_back("cell " + std::to_string(c) + "," + std::to_string(r));
  }
  void ExtentsChanged(int32_t oc, int32_t orr) override {
    events.push_back("extents " + std::to_string(oc) + "," + std::to_string(orr));
  }
  void RowChanged(int32_t r) override { events.push_back("row " + std::to_string(r)); }
  void RowMoved(int32_t f, int32_t t) override {
    events.push_back("rowmove " + std::to_string(f) + ">" + std::to_string(t));
  }
  void ColumnMoved(int32_t f, int32_t t) override {
    events.push_back("colmove " + std::to_string(f) + ">" + std::to_string(t));
  }
  void TableReset() override { events.push_back("reset"); }
};

TEST(ResultTable, NewTableIsTwoByTwoWithOneFixedRowAndColumnAndNoText) {
  ResultTable t;
  EXPECT_EQ(t.ColCount(), 2);
  EXPECT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.FixedCols(), 1);
  EXPECT_EQ(t.FixedRows(), 1);
  EXPECT_EQ(t.GetCell(0, 0), "");
  EXPECT_EQ(t.GetCell(1'000'000, 1'048'559), "");
  EXPECT_EQ(t.MemoryUsed(), 0u) << "reading far away allocates nothing";
}

TEST(ResultTable, CellsOutsideTheExtentsStayStoredAndComeBack) {
  ResultTable t;
  t.SetCell(5, 0, "far");
  EXPECT_EQ(t.ColCount(), 2);
  EXPECT_EQ(t.GetCell(5, 0), "far");
  EXPECT_EQ(Visible(t), "|/|");
  t.SetColCount(6);
  EXPECT_EQ(t.GetCell(5, 0), "far");
  t.SetCell(3, 1, "x");
  t.SetColCount(3);
  t.SetColCount(6);
  EXPECT_EQ(Visible(t), "|||||far/|||x||");
}

TEST(ResultTable, EmptyTextRemovesTheCell) {
  ResultTable t;
  t.SetCell(1, 1, "abc");
  t.SetCell(1, 1, "");
  EXPECT_EQ(t.GetCell(1, 1), "");
  t.SetCell(0, 0, ""); // removing nothing is fine
  EXPECT_EQ(Visible(t), "|/|");
}

TEST(ResultTable, OverwritingKeepsNeighboursAndAnyByte) {
  ResultTable t;
  const std::string bytes("\0\x1a\r\n\xff\x98", 6);
  t.SetCell(0, 0, "a");
  t.SetCell(1, 0, "b");
  t.SetCell(2, 0, "c");
  t.SetCell(1, 0, bytes);
  const std::string long_text = "needs a two-byte length: " + std::string(300, 'z');
  t.SetCell(0, 0, long_text);
  EXPECT_EQ(t.GetCell(1, 0), bytes);
  EXPECT_EQ(t.GetCell(2, 0), "c");
  EXPECT_EQ(t.GetCell(0, 0), long_text);
}

TEST(ResultTable, ExtentRulesAndFixedCountsLoweredForGood) {
  ResultTable t;
  t.SetColCount(0);
  EXPECT_EQ(t.ColCount(), 1);
  EXPECT_EQ(t.FixedCols(), 0);
  t.SetColCount(2);
  EXPECT_EQ(t.FixedCols(), 0) << "never raised again";
  t.SetRowCount(-5);
  EXPECT_EQ(t.RowCount(), 1);
  EXPECT_EQ(t.FixedRows(), 0);
  t.ClearAll();
  EXPECT_EQ(t.FixedRows(), 0);
  EXPECT_EQ(t.FixedCols(), 0);
}

TEST(ResultTable, NegativeIndexesAreRefusedWithTheListIndexMessage) {
  ResultTable t;
  try {
    t.SetCell(-3, 0, "x");
    FAIL();
  } catch (const platform::Error& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (-3)");
  }
  EXPECT_THROW(t.SetCell(0, -1, "x"), platform::Error);
  EXPECT_THROW(t.GetCell(0, -7), platform::Error);
  EXPECT_EQ(t.GetCell(-1, 0), "");
}

TEST(ResultTable, ClearRowRemovesCellsBeyondColCount) {
  ResultTable t;
  t.SetCell(0, 1, "a");
  t.SetCell(9, 1, "far");
  t.SetCell(0, 0, "keep");
  t.ClearRow(1);
  t.SetColCount(10);
  EXPECT_EQ(t.GetCell(9, 1), "");
  EXPECT_EQ(t.GetCell(0, 0), "keep");
}

TEST(ResultTable, ClearAllKeepsRowsBeyondRowCount) {
  ResultTable t;
  t.SetColCount(4);
  t.SetCell(9, 0, "gone");
  t.SetCell(0, 5, "survives");
  t.SetCell(1, 1, "gone too");
  t.ClearAll();
  EXPECT_EQ(t.ColCount(), 2);
  EXPECT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.GetCell(9, 0), "");
  EXPECT_EQ(t.GetCell(1, 1), "");
  t.SetRowCount(6);
  EXPECT_EQ(t.GetCell(0, 5), "survives");
}

TEST(ResultTable, ClearAllOfAFullTableLeavesNoTextAndFreesTheStore) {
  ResultTable t;
  t.SetColCount(40);
  t.SetRowCount(500);
  for (int r = 0; r < 500; ++r)
    for (int c = 0; c < 40; ++c)
      t.SetCell(c, r, "v" + std::to_string(c));
  t.ClearAll();
  EXPECT_EQ(t.MemoryUsed(), 0u);
  t.SetColCount(40);
  t.SetRowCount(500);
  for (int r = 0; r < 500; r += 37)
    for (int c = 0; c < 40; ++c)
      ASSERT_EQ(t.GetCell(c, r), "");
}

TEST(ResultTable, MoveRowShiftsTheRowsBetweenWithAllTheirCells) {
  ResultTable t;
  t.SetRowCount(5);
  Fill(t, {{"r0"}, {"r1"}, {"r2"}, {"r3"}, {"r4"}});
  t.SetCell(7, 1, "far1");
  t.MoveRow(1, 3);
  EXPECT_EQ(Visible(t), "r0|/r2|/r3|/r1|/r4|");
  EXPECT_EQ(t.GetCell(7, 3), "far1");
  t.MoveRow(3, 1);
  EXPECT_EQ(Visible(t), "r0|/r1|/r2|/r3|/r4|");
  t.MoveRow(0, 9); // into rows never written
  EXPECT_EQ(t.GetCell(0, 9), "r0");
  EXPECT_EQ(t.GetCell(0, 0), "r1");
}

TEST(ResultTable, MoveColumnRearrangesEveryStoredRowAlsoBeyondRowCount) {
  ResultTable t;
  t.SetColCount(6);
  for (int r : {0, 4}) // row 4 lies beyond RowCount
    for (int c = 0; c < 6; ++c)
      t.SetCell(c, r, "c" + std::to_string(c));
  t.MoveColumn(3, 1);
  for (int r : {0, 4}) {
    const char* want[] = {"c0", "c3", "c1", "c2", "c4", "c5"};
    for (int c = 0; c < 6; ++c)
      EXPECT_EQ(t.GetCell(c, r), want[c]) << "row " << r << " col " << c;
  }
  t.MoveColumn(1, 3);
  for (int c = 0; c < 6; ++c)
    EXPECT_EQ(t.GetCell(c, 4), "c" + std::to_string(c));
}

TEST(ResultTable, PlaceCellsActsLikeSetCellForEachField) {
  ResultTable t;
  t.SetCell(0, 0, "old0");
  t.SetCell(1, 0, "old1");
  t.SetCell(5, 0, "old5");
  const auto tag = t.InternText("tag");
  EXPECT_EQ(t.InternText("tag"), tag);
  const std::string_view fields[] = {"new0", ""};
  t.PlaceCells(0, 0, fields, 2, &tag);
  EXPECT_EQ(t.GetCell(0, 0), "new0");
  EXPECT_EQ(t.GetCell(1, 0), "") << "an empty field removes the cell";
  EXPECT_EQ(t.GetCell(2, 0), "tag");
  EXPECT_EQ(t.GetCell(5, 0), "old5");

  // Side by side: appending to the right of what a row holds.
  const std::string_view more[] = {"x", "y"};
  t.PlaceCells(0, 8, more, 2, &tag);
  t.PlaceCells(0, 20, more, 2, nullptr);
  EXPECT_EQ(t.GetCell(8, 0), "x");
  EXPECT_EQ(t.GetCell(10, 0), "tag");
  EXPECT_EQ(t.GetCell(21, 0), "y");
  EXPECT_EQ(t.GetCell(15, 0), "");
  EXPECT_EQ(t.GetCell(5, 0), "old5");
}

// Fields cut from one line (as the reader hands them over) take the
// one-copy path; a field too long for a one-byte length does not.
TEST(ResultTable, FieldsOfOneLineArePlacedWhole) {
  for (const std::size_t long_size : {31u, 32u, 200u}) {
    const std::string line = "ab;;c;" + std::string(long_size, 'x') + ";\xC0";
    const std::vector<std::string_view> fields = testing_support::LineFields(line);
    ResultTable t;
    const auto tag = t.InternText("f");
    t.PlaceCells(3, 2, fields.data(), fields.size(), &tag);
    t.PlaceCells(3, 9, fields.data(), 2, nullptr); // grows the same row
    EXPECT_EQ(t.GetCell(2, 3), "ab");
    EXPECT_EQ(t.GetCell(3, 3), "");
    EXPECT_EQ(t.GetCell(4, 3), "c");
    EXPECT_EQ(t.GetCell(5, 3), std::string(long_size, 'x'));
    EXPECT_EQ(t.GetCell(6, 3), "\xC0");
    EXPECT_EQ(t.GetCell(7, 3), "f");
    EXPECT_EQ(t.GetCell(9, 3), "ab");
    EXPECT_EQ(t.GetCell(10, 3), "");
  }
}

// Fields matched to other columns come out of the line's order, with empty
// fields of no line between them: the runs that still follow each other in
// the line are copied at once, everything else one by one.
TEST(ResultTable, FieldsOutOfTheirLinesOrderKeepEveryText) {
  const std::string line = "ab;c;d;e;" + std::string(40, 'x') + ";f;g";
  const std::vector<std::string_view> cut = testing_support::LineFields(line);
  // ab c | (none) | e d | x...x f g | ab
  const std::vector<std::string_view> fields = {cut[0], cut[1], {},     cut[3], cut[2],
                                                cut[4], cut[5], cut[6], cut[0]};
  ResultTable t;
  const auto tag = t.InternText("name");
  t.PlaceCells(1, 0, fields.data(), fields.size(), &tag);
  std::string seen;
  t.ForEachCellInRow(1, 0, 20, [&](int32_t c, std::string_view s) {
    seen += std::to_string(c) + "=" + std::string(s) + ";";
  });
  EXPECT_EQ(seen, "0=ab;1=c;3=e;4=d;5=" + std::string(40, 'x') + ";6=f;7=g;8=ab;9=name;");
}

TEST(ResultTable, ForEachCellInRowVisitsNonEmptyCellsInOrder) {
  ResultTable t;
  t.SetCell(4, 2, "d");
  t.SetCell(0, 2, "a");
  t.SetCell(30, 2, "z");
  const std::string_view f[] = {"p", "", "q"};
  t.PlaceCells(2, 10, f, 3, nullptr);
  std::string seen;
  t.ForEachCellInRow(2, 1, 30, [&](int32_t c, std::string_view s) {
    seen += std::to_string(c) + "=" + std::string(s) + ";";
  });
  EXPECT_EQ(seen, "4=d;10=p;12=q;");
}

TEST(ResultTable, RemoveVisibleRowsMovesOnlyTheVisiblePart) {
  ResultTable t;
  t.SetColCount(2);
  t.SetRowCount(5);
  Fill(t, {{"a", "A"}, {}, {"b", "B"}, {}, {"c", "C"}});
  t.SetCell(5, 2, "stays at 2");
  t.SetCell(0, 7, "beyond rows");
  t.RemoveVisibleRows({1, 3});
  EXPECT_EQ(Visible(t), "a|A/b|B/c|C/|/|");
  EXPECT_EQ(t.GetCell(5, 2), "stays at 2");
  EXPECT_EQ(t.GetCell(0, 7), "beyond rows");
}

TEST(ResultTable, ObserverHearsOfChangesInsideTheExtentsAndBulkChangesOnce) {
  ResultTable t;
  RecordingObserver seen;
  t.SetObserver(&seen);
  t.SetCell(1, 1, "in");
  t.SetCell(5, 1, "out");
  t.SetColCount(3);
  t.MoveRow(0, 1);
  t.ClearRow(1);
  t.BeginBulkChange();
  t.SetCell(0, 0, "quiet");
  t.SetRowCount(9);
  t.EndBulkChange();
  EXPECT_EQ(seen.events,
            (std::vector<std::string>{"cell 1,1", "extents 2,2", "rowmove 0>1", "row 1", "reset"}));
}

// The store against a plain map, through many random edits, moves and
// clears, so that segment chains and in-place growth run; once with the
// usual compaction threshold and once compacting all the time.
class RandomEdits : public ::testing::TestWithParam<std::size_t> {};

TEST_P(RandomEdits, AgreeWithAPlainMap) {
  ResultTable t;
  t.SetCompactionThreshold(GetParam());
  std::map<std::pair<int, int>, std::string> model; // (row, col)
  std::mt19937 rng(7);
  auto rnd = [&](int n) { return static_cast<int>(rng() % n); };
  t.SetColCount(12);
  t.SetRowCount(12);
  for (int step = 0; step < 20000; ++step) {
    const int op = rnd(100);
    if (op < 60) {
      const int c = rnd(14), r = rnd(14);
      std::string text = rnd(4) == 0 ? "" : std::string(rnd(200), char('a' + rnd(26)));
      t.SetCell(c, r, text);
      if (text.empty())
        model.erase({r, c});
      else
        model[{r, c}] = text;
    } else if (op < 80) {
      const int r = rnd(14), start = rnd(14), n = rnd(5);
      std::vector<std::string> texts;
      std::vector<std::string_view> views;
      for (int i = 0; i < n; ++i)
        texts.push_back(rnd(3) == 0 ? "" : std::to_string(step) + "f" + std::to_string(i));
      for (auto& s : texts)
        views.push_back(s);
      const std::string tag_text = "tag" + std::to_string(rnd(3));
      const auto tag = t.InternText(tag_text);
      const bool with_tag = rnd(2);
      t.PlaceCells(r, start, views.data(), views.size(), with_tag ? &tag : nullptr);
      for (int i = 0; i < n; ++i) {
        if (texts[i].empty())
          model.erase({r, start + i});
        else
          model[{r, start + i}] = texts[i];
      }
      if (with_tag)
        model[{r, start + n}] = tag_text;
    } else if (op < 88) {
      const int from = rnd(14), to = rnd(14);
      t.MoveRow(from, to);
      std::map<std::pair<int, int>, std::string> next;
      for (auto& [k, v] : model) {
        int r = k.first;
        if (from != to) {
          if (r == from)
            r = to;
          else if (from < to && r > from && r <= to)
            --r;
          else if (from > to && r >= to && r < from)
            ++r;
        }
        next[{r, k.second}] = v;
      }
      model.swap(next);
    } else if (op < 96) {
      const int from = rnd(14), to = rnd(14);
      t.MoveColumn(from, to);
      std::map<std::pair<int, int>, std::string> next;
      for (auto& [k, v] : model) {
        int c = k.second;
        if (from != to) {
          if (c == from)
            c = to;
          else if (from < to && c > from && c <= to)
            --c;
          else if (from > to && c >= to && c < from)
            ++c;
        }
        next[{k.first, c}] = v;
      }
      model.swap(next);
    } else {
      const int r = rnd(14);
      t.ClearRow(r);
      for (auto it = model.begin(); it != model.end();)
        it = it->first.first == r ? model.erase(it) : std::next(it);
    }
    if (step % 97 == 0) {
      for (int r = 0; r < 14; ++r)
        for (int c = 0; c < 16; ++c) {
          auto it = model.find({r, c});
          ASSERT_EQ(t.GetCell(c, r), it == model.end() ? "" : it->second)
              << "step " << step << " cell " << c << "," << r;
        }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ResultTable, RandomEdits, ::testing::Values(64u << 20, 4096u));

} // namespace
