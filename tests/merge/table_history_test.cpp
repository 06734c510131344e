// The history against snapshots of the whole table: random tables, random
// steps, then undo and redo in random turns, each of which must give back the
// exact table of that point, cells beyond the extents included.

#include "merge/table_history.h"
#include "tests/support/undo_walk.h"

#include "merge/table_commands.h"
#include "merge/table_edits.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using merge::ResultTable;

// Everything a table holds: every stored cell, the extents, the fixed
// counts and the encoding's state.
struct Snapshot {
  std::map<std::pair<std::int32_t, std::int32_t>, std::string> cells; // (row, col)
  std::int32_t cols, rows, fixed_cols, fixed_rows;
  bool encoding_fixed;
  bool operator==(const Snapshot& o) const {
    return cells == o.cells && cols == o.cols && rows == o.rows && fixed_cols == o.fixed_cols &&
           fixed_rows == o.fixed_rows && encoding_fixed == o.encoding_fixed;
  }
};

constexpr std::int32_t kReach = 40; // rows and columns a test ever touches

Snapshot Take(const ResultTable& table) {
  Snapshot s{{},
             table.ColCount(),
             table.RowCount(),
             table.FixedCols(),
             table.FixedRows(),
             table.EncodingFixed()};
  for (std::int32_t r = 0; r < kReach; ++r)
    table.ForEachCellInRow(r, 0, INT32_MAX, [&](std::int32_t c, std::string_view text) {
      s.cells[{r, c}] = std::string(text);
    });
  return s;
}

std::string RandomText(std::mt19937& rng) {
  static const char* const kTexts[] = {"",    "",    "a",    "bb",    "ccc",
                                       "Имя", "x,y", "a\tb", "\"q\"", "two\r\nlines"};
  return kTexts[rng() % 10];
}

// The text a spreadsheet would give for a block of random cells.
std::string RandomClip(std::mt19937& rng, std::vector<std::vector<std::string>>& cells) {
  merge::ResultTable scratch;
  const auto cols = static_cast<std::int32_t>(1 + rng() % 4);
  const auto rows = static_cast<std::int32_t>(1 + rng() % 4);
  cells.assign(rows, std::vector<std::string>(cols));
  for (std::int32_t r = 0; r < rows; ++r)
    for (std::int32_t c = 0; c < cols; ++c)
      scratch.SetCell(c, r, cells[r][c] = RandomText(rng));
  return merge::CopyRange(scratch, {0, 0, cols, rows});
}

void RandomTable(ResultTable& table, std::mt19937& rng) {
  table.SetColCount(2 + static_cast<std::int32_t>(rng() % 8));
  table.SetRowCount(2 + static_cast<std::int32_t>(rng() % 12));
  // Cells also beyond the extents, as a cut or a shrunk table leaves them.
  for (int i = 0; i < 60; ++i)
    table.SetCell(static_cast<std::int32_t>(rng() % 16), static_cast<std::int32_t>(rng() % 20),
                  RandomText(rng));
  if (rng() % 3 == 0)
    table.SetEncoding(merge::TextEncoding::kUtf8);
}

// One random change, made through its step.
std::unique_ptr<merge::HistoryStep> RandomStep(ResultTable& table, std::mt19937& rng) {
  const auto pick = [&rng](std::int32_t n) { return static_cast<std::int32_t>(rng() % n); };
  switch (rng() % 11) {
  case 0: { // a paste-like run, growing the extents
    auto edits = std::make_unique<merge::CellEdits>(table);
    const std::int32_t row = pick(table.RowCount() + 3);
    const std::int32_t col = pick(table.ColCount() + 3);
    std::vector<std::string> texts(1 + rng() % 5);
    for (auto& t : texts)
      t = RandomText(rng);
    std::vector<std::string_view> views(texts.begin(), texts.end());
    edits->WriteRun(table, row, col, views.data(), views.size());
    table.SetRowCount(std::max(table.RowCount(), row + 1));
    table.SetColCount(std::max<std::int32_t>(table.ColCount(), col + views.size()));
    edits->Finish(table);
    return edits;
  }
  case 1: { // an edit made by other means (an editor's session)
    auto edits = std::make_unique<merge::CellEdits>(table);
    const std::int32_t row = pick(table.RowCount());
    const std::int32_t col = pick(table.ColCount());
    edits->KeepRun(table, row, col, 1);
    table.SetCell(col, row, "typed");
    table.SetCell(col, row, RandomText(rng));
    edits->Finish(table);
    return edits;
  }
  case 2: { // a drag
    const bool rows = rng() % 2 == 0;
    const std::int32_t n = rows ? table.RowCount() : table.ColCount();
    const std::int32_t from = pick(n);
    const std::int32_t to = pick(n);
    if (rows)
      table.MoveRow(from, to);
    else
      table.MoveColumn(from, to);
    return std::make_unique<merge::MoveStep>(
        rows ? merge::MoveStep::kRow : merge::MoveStep::kColumn, from, to);
  }
  case 3: // "Очистить"
    return merge::TableSwap::ClearKeeping(table);
  case 4: { // Delete over a range reaching past the extents
    const std::int32_t col = pick(table.ColCount() + 2), row = pick(table.RowCount() + 2);
    return merge::ClearRange(table, {col, row, col + 1 + pick(4), row + 1 + pick(4)});
  }
  case 5: {
    std::vector<std::vector<std::string>> cells;
    return merge::PasteText(table, pick(table.ColCount() + 2), pick(table.RowCount() + 2),
                            RandomClip(rng, cells));
  }
  case 6:
  case 7: {
    const bool rows = rng() % 2 == 0;
    const std::int32_t extent = rows ? table.RowCount() : table.ColCount();
    const std::int32_t fixed = rows ? table.FixedRows() : table.FixedCols();
    if (extent - fixed < 1)
      return merge::ClearRange(table, {0, 0, 0, 0});
    const std::int32_t first = fixed + pick(extent - fixed);
    const std::int32_t count = 1 + pick(extent - first);
    if (rng() % 2 == 0)
      return rows ? merge::DeleteRows(table, first, count)
                  : merge::DeleteColumns(table, first, count);
    const std::int32_t at = fixed + pick(extent - fixed + 1);
    return rows ? merge::InsertRow(table, at) : merge::InsertColumn(table, at);
  }
  case 8: { // rows taken out of the visible part
    std::vector<std::int32_t> rows;
    for (std::int32_t r = 0; r < table.RowCount(); ++r)
      if (rng() % 3 == 0)
        rows.push_back(r);
    if (rows.empty())
      rows.push_back(0);
    return merge::RemoveRowsKept(table, rows);
  }
  case 9: { // a collect adding below, or beside
    const bool below = rng() % 2 == 0;
    auto step = std::make_unique<merge::AddedPart>(table, below ? table.RowCount() : INT32_MAX,
                                                   below ? INT32_MAX : table.ColCount());
    const std::int32_t row = below ? table.RowCount() : 0;
    const std::int32_t col = below ? 0 : table.ColCount();
    for (std::int32_t i = 0; i < 3; ++i)
      table.SetCell(col + pick(3), row + i, RandomText(rng));
    table.SetRowCount(std::max(table.RowCount(), row + 3));
    table.SetColCount(std::max(table.ColCount(), col + 3));
    table.SetEncoding(merge::TextEncoding::kUtf8);
    step->Finish(table);
    return step;
  }
  default: {
    auto step = merge::DeleteEmptyRowsKept(table, rng() % 2 == 0);
    return step ? std::move(step) : merge::ClearRange(table, {0, 0, 0, 0});
  }
  }
}

TEST(TableHistory, UndoAndRedoGiveBackEveryEarlierTable) {
  for (unsigned seed = 1; seed <= 200; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    ResultTable table;
    RandomTable(table, rng);
    testing_support::WalkUndoAndRedo(
        table, rng, 30, [](ResultTable& t, std::mt19937& r) { return RandomStep(t, r); },
        [](const ResultTable& t) { return Take(t); });
  }
}

// The tools against a plain model of the whole table: which cells go,
// which move where, and the extents.
TEST(TableEdits, RowsColumnsRangesAndPastesMatchAPlainModel) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    ResultTable table;
    RandomTable(table, rng);
    Snapshot model = Take(table);
    const auto pick = [&rng](std::int32_t n) { return static_cast<std::int32_t>(rng() % n); };
    // Cells of the model moved or dropped by their row (column) index.
    const auto remap = [&model](bool rows, auto to) {
      std::map<std::pair<std::int32_t, std::int32_t>, std::string> moved;
      for (const auto& [at, text] : model.cells) {
        const std::int32_t index = to(rows ? at.first : at.second);
        if (index >= 0)
          moved[rows ? std::make_pair(index, at.second) : std::make_pair(at.first, index)] = text;
      }
      model.cells = std::move(moved);
    };
    const bool rows = rng() % 2 == 0;
    const std::int32_t extent = rows ? table.RowCount() : table.ColCount();
    const std::int32_t fixed = rows ? table.FixedRows() : table.FixedCols();
    std::int32_t& model_extent = rows ? model.rows : model.cols;
    switch (rng() % 4) {
    case 0: { // delete
      const std::int32_t first = fixed + pick(extent - fixed);
      const std::int32_t count = 1 + pick(extent - first);
      ASSERT_TRUE(rows ? merge::DeleteRows(table, first, count)
                       : merge::DeleteColumns(table, first, count));
      remap(rows, [&](std::int32_t i) {
        return i < first || i >= extent ? i : i < first + count ? -1 : i - count;
      });
      model_extent = std::max(extent - count, fixed + 1);
      break;
    }
    case 1: { // insert
      const std::int32_t at = fixed + pick(extent - fixed + 1);
      ASSERT_TRUE(rows ? merge::InsertRow(table, at) : merge::InsertColumn(table, at));
      remap(rows, [&](std::int32_t i) {
        return i < at || i > extent ? i : i == extent ? -1 : i + 1;
      });
      model_extent = extent + 1;
      break;
    }
    case 2: { // Delete over a range
      const merge::CellRange range{pick(12), pick(12), 0, 0};
      const merge::CellRange cut{range.first_col, range.first_row, range.first_col + 1 + pick(5),
                                 range.first_row + 1 + pick(5)};
      merge::ClearRange(table, cut);
      for (auto it = model.cells.begin(); it != model.cells.end();) {
        const bool inside = it->first.first >= cut.first_row && it->first.first < cut.end_row &&
                            it->first.second >= cut.first_col && it->first.second < cut.end_col;
        it = inside ? model.cells.erase(it) : std::next(it);
      }
      break;
    }
    default: { // paste
      std::vector<std::vector<std::string>> cells;
      const std::string clip = RandomClip(rng, cells);
      const std::int32_t col = pick(table.ColCount() + 3), row = pick(table.RowCount() + 3);
      merge::PasteText(table, col, row, clip);
      for (std::size_t r = 0; r < cells.size(); ++r) {
        for (std::size_t c = 0; c < cells[r].size(); ++c) {
          const auto at = std::make_pair(row + static_cast<std::int32_t>(r),
                                         col + static_cast<std::int32_t>(c));
          if (cells[r][c].empty())
            model.cells.erase(at);
          else
            model.cells[at] = cells[r][c];
        }
        // ColCount grows as a collect grows it: to c + 2 for a field at c
        // at or beyond it.
        for (std::size_t c = 0; c < cells[r].size(); ++c)
          if (col + static_cast<std::int32_t>(c) >= model.cols)
            model.cols = col + static_cast<std::int32_t>(c) + 2;
      }
      model.rows =
          std::max<std::int32_t>(model.rows, row + static_cast<std::int32_t>(cells.size()));
      break;
    }
    }
    ASSERT_EQ(Take(table), model);
  }
}

// A step that claims a fixed size, to watch the budget.
class Sized : public merge::HistoryStep {
public:
  explicit Sized(std::size_t bytes) : bytes_(bytes) {}
  void Undo(ResultTable&) override {}
  void Redo(ResultTable&) override {}
  std::size_t Bytes() const override { return bytes_; }

private:
  std::size_t bytes_;
};

TEST(TableHistory, KeepsWithinItsBudgetDroppingTheOldest) {
  ResultTable table;
  merge::TableHistory history(100);
  for (int i = 0; i < 5; ++i)
    history.Record(std::make_unique<Sized>(30));
  EXPECT_EQ(history.StepCount(), 3u); // 90 bytes
  EXPECT_LE(history.Bytes(), 100u);
  EXPECT_TRUE(history.Undo(table));
  // A new change drops what was undone, then the oldest as needed.
  history.Record(std::make_unique<Sized>(60));
  EXPECT_EQ(history.StepCount(), 2u);
  EXPECT_FALSE(history.CanRedo());
  // A step larger than the budget leaves nothing to undo.
  EXPECT_FALSE(history.Fits(101));
  history.Record(std::make_unique<Sized>(101));
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.StepCount(), 0u);
}

TEST(TableHistory, ClearKeepsTheOldTableItselfAndTheRowsBelow) {
  ResultTable table;
  table.SetRowCount(3);
  table.SetCell(1, 1, "kept");
  table.SetCell(0, 7, "below the extents");
  const std::size_t used = table.MemoryUsed();
  auto step = merge::TableSwap::ClearKeeping(table);
  EXPECT_GE(step->Bytes(), used); // held, not copied: the table gave it away
  EXPECT_EQ(table.GetCell(1, 1), "");
  EXPECT_EQ(table.GetCell(0, 7), "below the extents"); // as ClearAll leaves it
  EXPECT_EQ(table.RowCount(), 2);
  step->Undo(table);
  EXPECT_EQ(table.GetCell(1, 1), "kept");
  EXPECT_EQ(table.RowCount(), 3);
}

TEST(TableHistory, ACollectThatClearsItselfClearsOnce) {
  // A row hidden just below a one-row table: one ClearAll shows it again.
  for (const int rows : {1, 2, 3}) {
    ResultTable kept_for_undo;
    ResultTable cleared_once;
    for (ResultTable* table : {&kept_for_undo, &cleared_once}) {
      table->SetRowCount(4);
      table->SetCell(0, 0, "top");
      table->SetCell(1, 1, "second");
      table->SetCell(5, 3, "beyond");
      table->SetRowCount(rows);
    }
    auto step = merge::TableSwap::EmptyKeeping(kept_for_undo);
    kept_for_undo.ClearAll(); // what the collect does first
    cleared_once.ClearAll();
    EXPECT_TRUE(Take(kept_for_undo) == Take(cleared_once)) << rows;
    step->Undo(kept_for_undo);
    EXPECT_EQ(kept_for_undo.GetCell(0, 0), "top");
    EXPECT_EQ(kept_for_undo.RowCount(), rows);
  }
}

} // namespace
