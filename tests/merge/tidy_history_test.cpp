// The tidying tools' steps in the history: random sorts, removals of
// repeated rows, replacements and "Очистить" in turns with undo and redo
// give back every earlier table exactly, cells beyond the extents included,
// and rows set aside survive the whole table changing hands.

#include "merge/tidy_steps.h"
#include "tests/support/undo_walk.h"
#include "tidy_model.h"

#include <gtest/gtest.h>

namespace {

using tidy_test::Model;

std::unique_ptr<merge::HistoryStep> RandomTidyStep(merge::ResultTable& table, std::mt19937& rnd) {
  switch (rnd() % 5) {
  case 0:
  case 1: {
    merge::SortOptions o;
    o.column = static_cast<std::int32_t>(rnd() % static_cast<unsigned>(table.ColCount() + 1));
    o.descending = rnd() % 2 == 0;
    o.keep_header = rnd() % 2 == 0;
    return std::make_unique<merge::SortStep>(merge::SortRows(table, o, merge::ByteOrderKey));
  }
  case 2:
    return std::make_unique<merge::DuplicatesStep>(
        table, merge::RemoveDuplicateRows(table, rnd() % 2 == 0));
  case 3: {
    merge::FindOptions o;
    o.match_case = rnd() % 2 == 0;
    return std::make_unique<merge::ReplaceStep>(merge::ReplaceAll(table, "a", "", o));
  }
  default:
    return merge::TableSwap::ClearKeeping(table);
  }
}

TEST(TidyHistory, UndoAndRedoGiveBackEveryEarlierTable) {
  const std::vector<std::string> words = {"", "a", "b", "1", "A b", "10", "-2"};
  for (unsigned seed = 1; seed <= 150; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rnd(seed);
    merge::ResultTable table;
    const Model first = tidy_test::Random(rnd, table, words, 30);
    const std::int32_t reach_col = first.cols + 3, reach_row = first.rows + 3;
    testing_support::WalkUndoAndRedo(
        table, rnd, 30, [](merge::ResultTable& t, std::mt19937& r) { return RandomTidyStep(t, r); },
        [&](const merge::ResultTable& t) { return tidy_test::Read(t, reach_col, reach_row); });
  }
}

} // namespace
