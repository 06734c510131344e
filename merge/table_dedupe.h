#pragma once
// "Удалить повторяющиеся строки": of each set of rows whose cells inside the
// extents are all equal, the first stays and the others are taken out; the
// rows below close up and RowCount shrinks by as many. Linear in the table's
// size (rows are found again through a hash of their cells).

#include "merge/result_table.h"
#include "platform/progress.h"

#include <cstdint>
#include <vector>

namespace merge {

// What a removal of duplicates did, for its undo: which rows went (one bit
// a row) and where they are kept, whole, in the table's store.
struct RemovedDuplicates {
  std::int32_t first = 0; // the rows compared were first .. end - 1
  std::int32_t end = 0;
  std::int32_t old_row_count = 0;
  std::int64_t removed = 0;         // rows taken out
  std::vector<std::uint64_t> taken; // bit i: row first + i was a repeat
  ResultTable::SetAsideId aside = 0;
};

// With `keep_header` ("Первая строка — заголовок") row 0 is the header: it
// stays and takes no part. RowCount never falls to FixedRows or below (the
// fixed row would be lost for good): the rows kept for that are empty.
// Cancelling (platform::Cancelled) leaves the table as it was.
RemovedDuplicates RemoveDuplicateRows(ResultTable& table, bool keep_header,
                                      platform::Progress* progress = nullptr);
// Its two halves: finding the repeats only reads the table, not through its
// read cursor, so it may run on another thread while nothing changes the
// table; taking them out is quick.
RemovedDuplicates FindDuplicateRows(const ResultTable& table, bool keep_header,
                                    platform::Progress* progress = nullptr);
void TakeOutDuplicates(ResultTable& table, RemovedDuplicates& removed);
// Undoes it (the table as the removal left it), does it again (the table as
// it was before), and lets the rows kept aside go when the step is forgotten.
void RestoreDuplicates(ResultTable& table, RemovedDuplicates& removed);
void RemoveDuplicatesAgain(ResultTable& table, RemovedDuplicates& removed);
void ForgetDuplicates(ResultTable& table, RemovedDuplicates& removed);

} // namespace merge
