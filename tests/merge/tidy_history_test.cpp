// The tidying tools' steps in the history: random sorts, removals of
// repeated rows, replacements and "Очистить" in turns with undo and redo
// give back every earlier table exactly, cells beyond the extents included,
// and rows set aside survive the whole table changing hands.

#include "merge/tidy_steps.h"
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
    merge::TableHistory history(std::size_t{1} << 30);
    std::vector<Model> states{first};
    std::size_t at = 0;
    for (int turn = 0; turn < 30; ++turn) {
      const unsigned what = rnd() % 3;
      if (what == 0) {
        ASSERT_EQ(history.Undo(table), at > 0);
        at -= at > 0 ? 1 : 0;
      } else if (what == 1) {
        ASSERT_EQ(history.Redo(table), at + 1 < states.size());
        at += at + 1 < states.size() ? 1 : 0;
      } else {
        history.Record(RandomTidyStep(table, rnd));
        states.resize(at + 1);
        states.push_back(tidy_test::Read(table, reach_col, reach_row));
        at = states.size() - 1;
      }
      ASSERT_EQ(tidy_test::Read(table, reach_col, reach_row), states[at]) << "turn " << turn;
    }
  }
}

} // namespace
