#pragma once
// The undo steps of the tidying tools: a sort keeps the rows' order (four
// bytes a row), a removal of repeated rows the rows it took out (kept whole
// in the table's store, not copied), a replacement the old texts of the
// cells it changed.

#include "merge/table_dedupe.h"
#include "merge/table_find.h"
#include "merge/table_history.h"
#include "merge/table_sort.h"

#include <utility>

namespace merge {

class SortStep : public HistoryStep {
public:
  explicit SortStep(RowOrder order) : order_(std::move(order)) {}
  void Undo(ResultTable& table) override { order_.Restore(table); }
  void Redo(ResultTable& table) override { order_.Apply(table); }
  std::size_t Bytes() const override { return sizeof *this + order_.Count() * 4; }

private:
  RowOrder order_;
};

class DuplicatesStep : public HistoryStep {
public:
  // `table` is the one the rows were taken out of; it outlives the step.
  DuplicatesStep(ResultTable& table, RemovedDuplicates removed)
      : table_(table), removed_(std::move(removed)) {}
  ~DuplicatesStep() override { ForgetDuplicates(table_, removed_); }
  DuplicatesStep(const DuplicatesStep&) = delete;
  DuplicatesStep& operator=(const DuplicatesStep&) = delete;
  void Undo(ResultTable& table) override { RestoreDuplicates(table, removed_); }
  void Redo(ResultTable& table) override { RemoveDuplicatesAgain(table, removed_); }
  std::size_t Bytes() const override {
    return sizeof *this + removed_.taken.size() * 8 +
           static_cast<std::size_t>(removed_.removed) * 5;
  }

private:
  ResultTable& table_;
  RemovedDuplicates removed_;
};

class ReplaceStep : public HistoryStep {
public:
  explicit ReplaceStep(Replacement record) : record_(std::move(record)) {}
  void Undo(ResultTable& table) override { RestoreReplaced(table, record_); }
  void Redo(ResultTable& table) override { ReplaceAgain(table, record_); }
  std::size_t Bytes() const override {
    std::size_t bytes = sizeof *this + record_.cells.capacity() * sizeof(Replacement::Cell);
    for (const auto& cell : record_.cells)
      bytes += cell.old_text.capacity();
    return bytes;
  }

private:
  Replacement record_;
};

} // namespace merge
