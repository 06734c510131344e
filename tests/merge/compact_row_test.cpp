// Rows stored compact (no segment header) and the moments they stop being
// compact: a second piece placed after another row was written, a column
// count that needs one more byte, edits, moved columns and rows, and
// compaction of a store that holds both forms.

#include "merge/result_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using merge::ResultTable;
using Row = std::map<std::int32_t, std::string>;

// The row read three ways: cell by cell (left to right, then right to left,
// so that the read cursor is used and bypassed), with ForEachCellInRow and
// with the codec's runs of short texts.
void ExpectRow(const ResultTable& t, std::int32_t row, const Row& want, std::int32_t cols) {
  SCOPED_TRACE("row " + std::to_string(row));
  for (std::int32_t c = 0; c < cols; ++c) {
    const auto it = want.find(c);
    ASSERT_EQ(t.GetCell(c, row), it == want.end() ? "" : it->second) << "col " << c;
  }
  for (std::int32_t c = cols - 1; c >= 0; --c) {
    const auto it = want.find(c);
    ASSERT_EQ(t.GetCell(c, row), it == want.end() ? "" : it->second) << "col " << c;
  }
  Row visited;
  t.ForEachCellInRow(row, 0, cols, [&](std::int32_t col, std::string_view text) {
    visited[col] = std::string(text);
  });
  ASSERT_EQ(visited, want);

  Row pieces;
  merge::codec::RowPieces<true> reader(t.StoredRow(row), cols);
  merge::codec::RowPiece piece;
  while (reader.Next(piece)) {
    if (piece.kind == merge::codec::RowPiece::kShared) {
      pieces[static_cast<std::int32_t>(piece.col)] =
          std::string(t.SharedText(static_cast<merge::SharedTextId>(piece.size)));
    } else if (piece.kind == merge::codec::RowPiece::kText) {
      if (piece.size > 0)
        pieces[static_cast<std::int32_t>(piece.col)] =
            std::string(reinterpret_cast<const char*>(piece.data), piece.size);
    } else {
      const unsigned char* p = piece.data;
      for (std::int64_t i = 0; i < piece.count; ++i) {
        const std::size_t n = merge::codec::ShortTextLength(*p);
        if (n > 0)
          pieces[static_cast<std::int32_t>(piece.col + i)] =
              std::string(reinterpret_cast<const char*>(p + 1), n);
        p += 1 + n;
      }
    }
  }
  ASSERT_EQ(pieces, want);
}

TEST(CompactRow, GrowsPastItsFirstPieceInEveryWay) {
  ResultTable t;
  const merge::SharedTextId name = t.InternText("a.csv");
  const std::string line = "x,yy,,zzz";
  const std::vector<std::string_view> fields = {
      std::string_view(line).substr(0, 1), std::string_view(line).substr(2, 2),
      std::string_view(line).substr(5, 0), std::string_view(line).substr(6, 3)};
  t.PlaceCells(0, 0, fields.data(), fields.size(), &name);
  t.PlaceCells(1, 2, fields.data(), 2, nullptr); // a new row starting right of column 0
  // Row 1, the last written, grows in place, its column count crossing
  // 127 -> 128 (one more byte for the count: it becomes a chain).
  std::vector<std::string_view> many(130, std::string_view("v"));
  t.PlaceCells(1, 4, many.data(), 123, nullptr);
  t.PlaceCells(1, 127, many.data(), 3, nullptr);
  // Row 0 is no longer the last written: its next piece makes it a chain,
  // and row 1's next piece a new segment of its chain.
  t.PlaceCells(0, 7, fields.data(), 2, &name);
  t.PlaceCells(1, 131, many.data(), 1, &name);

  Row row0 = {{0, "x"}, {1, "yy"}, {3, "zzz"}, {4, "a.csv"}, {7, "x"}, {8, "yy"}, {9, "a.csv"}};
  Row row1 = {{2, "x"}, {3, "yy"}, {132, "a.csv"}};
  for (std::int32_t c = 4; c < 130; ++c)
    row1[c] = "v";
  row1[131] = "v";
  ExpectRow(t, 0, row0, 140);
  ExpectRow(t, 1, row1, 140);

  // Edits inside, between and after the pieces, and an empty text.
  t.SetCell(5, 0, "between");
  t.SetCell(1, 0, "");
  t.SetCell(200, 1, "far");
  t.SetCell(0, 1, "first");
  row0[5] = "between";
  row0.erase(1);
  row1[200] = "far";
  row1[0] = "first";
  ExpectRow(t, 0, row0, 210);
  ExpectRow(t, 1, row1, 210);

  // Writing over a cell of the row being built (not an append) and then
  // appending to the rewritten row again.
  t.PlaceCells(2, 0, fields.data(), 4, nullptr);
  t.PlaceCells(2, 1, fields.data(), 1, nullptr);
  t.PlaceCells(2, 4, fields.data(), 1, &name);
  ExpectRow(t, 2, {{0, "x"}, {1, "x"}, {3, "zzz"}, {4, "x"}, {5, "a.csv"}}, 10);
}

// A small model of the table: rows of cells, changed by the same steps.
struct Model {
  std::vector<Row> rows = std::vector<Row>(12);

  void Set(std::int32_t col, std::int32_t row, const std::string& text) {
    if (text.empty())
      rows[static_cast<std::size_t>(row)].erase(col);
    else
      rows[static_cast<std::size_t>(row)][col] = text;
  }
  void MoveColumn(std::int32_t from, std::int32_t to) {
    for (Row& r : rows) {
      Row moved;
      for (const auto& [c, text] : r) {
        std::int32_t n = c;
        if (c == from)
          n = to;
        else if (from < to && c > from && c <= to)
          n = c - 1;
        else if (to < from && c >= to && c < from)
          n = c + 1;
        moved[n] = text;
      }
      r = std::move(moved);
    }
  }
  void MoveRow(std::int32_t from, std::int32_t to) {
    Row moved = rows[static_cast<std::size_t>(from)];
    rows.erase(rows.begin() + from);
    rows.insert(rows.begin() + to, moved);
  }
  void RemoveVisibleRows(const std::vector<std::int32_t>& removed, std::int32_t row_count,
                         std::int32_t col_count) {
    const std::int32_t first = removed.front();
    std::vector<Row> kept;
    for (std::int32_t r = first; r < row_count; ++r) {
      if (std::find(removed.begin(), removed.end(), r) != removed.end())
        continue;
      Row visible;
      for (const auto& [c, text] : rows[static_cast<std::size_t>(r)])
        if (c < col_count)
          visible[c] = text;
      kept.push_back(visible);
    }
    for (std::int32_t r = first; r < row_count; ++r) {
      Row& row = rows[static_cast<std::size_t>(r)];
      for (auto it = row.begin(); it != row.end();)
        it = it->first < col_count ? row.erase(it) : std::next(it);
      const auto k = static_cast<std::size_t>(r - first);
      if (k < kept.size())
        row.insert(kept[k].begin(), kept[k].end());
    }
  }
};

TEST(CompactRow, RandomStepsOnMixedRowsMatchAModel) {
  constexpr std::int32_t kRows = 12;
  constexpr std::int32_t kCols = 150; // column counts on both sides of 128
  for (const std::size_t threshold : {std::size_t{64}, std::size_t{64} << 20}) {
    SCOPED_TRACE("compaction threshold " + std::to_string(threshold));
    ResultTable t;
    t.SetCompactionThreshold(threshold); // small: rows get copied over and over
    t.SetRowCount(kRows);
    t.SetColCount(kCols);
    Model m;
    std::mt19937 rng(14);
    const auto pick = [&](std::int32_t n) {
      return static_cast<std::int32_t>(rng() % static_cast<unsigned>(n));
    };
    const std::vector<std::string> names = {"one.csv", "two.csv"};
    std::vector<merge::SharedTextId> ids;
    for (const std::string& n : names)
      ids.push_back(t.InternText(n));
    for (int step = 0; step < 1500; ++step) {
      const int what = pick(20);
      if (what < 10) { // a piece of a line, as a collect places it
        const std::int32_t row = pick(kRows);
        const std::int32_t start = pick(4) == 0 ? pick(kCols - 20) : pick(3);
        const auto count = static_cast<std::size_t>(pick(pick(5) == 0 ? 15 : 5));
        std::string line;
        std::vector<std::size_t> lengths;
        for (std::size_t i = 0; i < count; ++i) {
          const std::int32_t len = pick(8) == 0 ? 40 : pick(4);
          lengths.push_back(static_cast<std::size_t>(len));
          line += std::string(static_cast<std::size_t>(len), static_cast<char>('a' + pick(26)));
          line += ',';
        }
        std::vector<std::string_view> fields;
        std::size_t at = 0;
        for (const std::size_t len : lengths) {
          fields.push_back(std::string_view(line).substr(at, len));
          at += len + 1;
        }
        const bool named = pick(2) == 0;
        const std::size_t which = static_cast<std::size_t>(pick(2));
        t.PlaceCells(row, start, fields.data(), fields.size(), named ? &ids[which] : nullptr);
        for (std::size_t i = 0; i < fields.size(); ++i)
          m.Set(start + static_cast<std::int32_t>(i), row, std::string(fields[i]));
        if (named)
          m.Set(start + static_cast<std::int32_t>(fields.size()), row, names[which]);
      } else if (what < 14) {
        const std::int32_t col = pick(kCols);
        const std::int32_t row = pick(kRows);
        const std::string text = pick(3) == 0 ? "" : std::string(pick(5), 'q');
        t.SetCell(col, row, text);
        m.Set(col, row, text);
      } else if (what < 16) {
        const std::int32_t from = pick(kCols);
        const std::int32_t to = pick(kCols);
        t.MoveColumn(from, to);
        if (from != to)
          m.MoveColumn(from, to);
      } else if (what < 17) {
        const std::int32_t from = pick(kRows);
        const std::int32_t to = pick(kRows);
        t.MoveRow(from, to);
        m.MoveRow(from, to);
      } else if (what < 18) {
        const std::int32_t row = pick(kRows);
        t.ClearRow(row);
        m.rows[static_cast<std::size_t>(row)].clear();
      } else if (what < 19) {
        const std::int32_t visible_cols = 20 + pick(kCols - 20);
        t.SetColCount(visible_cols);
        std::vector<std::int32_t> removed;
        for (std::int32_t r = pick(kRows); r < kRows; r += 1 + pick(4))
          removed.push_back(r);
        t.RemoveVisibleRows(removed);
        m.RemoveVisibleRows(removed, kRows, visible_cols);
        t.SetColCount(kCols);
      } else {
        for (std::int32_t r = 0; r < kRows; ++r)
          ExpectRow(t, r, m.rows[static_cast<std::size_t>(r)], kCols + 20);
      }
      if (HasFatalFailure())
        FAIL() << "after step " << step;
    }
    for (std::int32_t r = 0; r < kRows; ++r)
      ExpectRow(t, r, m.rows[static_cast<std::size_t>(r)], kCols + 20);
  }
}

} // namespace

namespace {

// The directory's five-byte slots find a row anywhere within the reach of
// the first block, tagged or not, and a block beyond that reach is refused
// rather than stored where a slot would point elsewhere.
TEST(RowReach, SlotsFindEveryRowWithinReachAndFartherBlocksAreRefused) {
  ResultTable t;
  t.SetCell(0, 0, "fixes the centre"); // the first block of the process, if not before
  namespace reach = merge::reach;
  const std::uint64_t c = reach::centre.load();
  ASSERT_NE(c, 0u);
  for (const std::uint64_t address : {c - reach::kHalf + 1, c, c + reach::kHalf - 1}) {
    for (const bool compact : {false, true}) {
      const auto row = merge::codec::RowRef::FromBits(
          address | (compact ? merge::codec::RowRef::kCompactTag : 0));
      const std::uint64_t packed = reach::Pack(row);
      EXPECT_LT(packed, std::uint64_t{1} << (8 * reach::kPackedBytes));
      EXPECT_EQ(reach::Unpack(packed), row);
    }
  }
  EXPECT_EQ(reach::Pack({}), 0u);
  const auto at = [](std::uint64_t address) {
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(address));
  };
  EXPECT_TRUE(reach::Admit(at(c - reach::kHalf + 4096), 4096));
  EXPECT_TRUE(reach::Admit(at(c + reach::kHalf - 4096), 4096));
  EXPECT_FALSE(reach::Admit(at(c - reach::kHalf), 4096));
  EXPECT_FALSE(reach::Admit(at(c + reach::kHalf - 4096), 8192));
}

} // namespace
