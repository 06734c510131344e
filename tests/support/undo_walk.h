#pragma once
// Random turns of undo, redo and new steps over a table's history: after
// every turn the table must be exactly in the state recorded for that turn.

#include "merge/result_table.h"
#include "merge/table_history.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace testing_support {

// `new_step(table, rng)` changes the table and returns its step; `read(table)`
// takes what the table holds, as a value comparable with ==.
template <typename Rng, typename NewStep, typename Read>
void WalkUndoAndRedo(merge::ResultTable& table, Rng& rng, int turns, NewStep new_step, Read read) {
  merge::TableHistory history(std::size_t{1} << 30);
  std::vector<decltype(read(table))> states{read(table)};
  std::size_t at = 0; // the state the table must be in
  for (int turn = 0; turn < turns; ++turn) {
    const unsigned what = rng() % 3;
    if (what == 0) {
      ASSERT_EQ(history.Undo(table), at > 0);
      at -= at > 0 ? 1 : 0;
    } else if (what == 1) {
      ASSERT_EQ(history.Redo(table), at + 1 < states.size());
      at += at + 1 < states.size() ? 1 : 0;
    } else {
      history.Record(new_step(table, rng));
      states.resize(at + 1); // a new change ends what could be redone
      states.push_back(read(table));
      at = states.size() - 1;
    }
    ASSERT_TRUE(read(table) == states[at]) << "turn " << turn;
  }
}

} // namespace testing_support
