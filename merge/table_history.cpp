// The history of the table's changes and its ready-made steps.

#include "merge/table_history.h"

#include "platform/physical_memory.h"

#include <algorithm>
#include <limits>

namespace merge {

// --- The history -----------------------------------------------------------------

std::size_t TableHistory::DefaultBudget() {
  const std::uint64_t quarter = platform::PhysicalMemoryBytes() / 4;
  return static_cast<std::size_t>(
      std::min<std::uint64_t>(quarter, std::numeric_limits<std::size_t>::max()));
}

void TableHistory::Record(std::unique_ptr<HistoryStep> step) {
  steps_.resize(done_); // what was undone cannot be made again after a new change
  if (!Fits(step->Bytes())) {
    Forget();
    return;
  }
  steps_.push_back(std::move(step));
  done_ = steps_.size();
  KeepWithinBudget();
}

void TableHistory::Forget() {
  steps_.clear();
  done_ = 0;
}

std::size_t TableHistory::Bytes() const {
  std::size_t bytes = 0;
  for (const auto& step : steps_)
    bytes += step->Bytes();
  return bytes;
}

void TableHistory::KeepWithinBudget() {
  std::size_t bytes = Bytes();
  while (bytes > budget_ && !steps_.empty()) {
    // The oldest made step goes first; with none made, the farthest undone.
    if (done_ > 0) {
      bytes -= steps_.front()->Bytes();
      steps_.pop_front();
      --done_;
    } else {
      bytes -= steps_.back()->Bytes();
      steps_.pop_back();
    }
  }
}

bool TableHistory::Undo(ResultTable& table) {
  if (!CanUndo())
    return false;
  try {
    BulkChange bulk(table);
    steps_[done_ - 1]->Undo(table);
  } catch (...) {
    Forget(); // the table is somewhere between: no step fits it any more
    throw;
  }
  --done_;
  KeepWithinBudget();
  return true;
}

bool TableHistory::Redo(ResultTable& table) {
  if (!CanRedo())
    return false;
  try {
    BulkChange bulk(table);
    steps_[done_]->Redo(table);
  } catch (...) {
    Forget();
    throw;
  }
  ++done_;
  KeepWithinBudget();
  return true;
}

// --- Texts written into cells -------------------------------------------------------

CellEdits::CellEdits(const ResultTable& table)
    : before_{table.ColCount(), table.RowCount()}, after_(before_) {}

CellEdits::Texts CellEdits::Read(const ResultTable& table, std::int32_t row, std::int32_t col,
                                 std::size_t count) {
  Texts texts;
  texts.ends.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    texts.bytes.append(table.GetCell(static_cast<std::int32_t>(col + i), row));
    texts.ends.push_back(static_cast<std::uint32_t>(texts.bytes.size()));
  }
  return texts;
}

void CellEdits::KeepRun(const ResultTable& table, std::int32_t row, std::int32_t col,
                        std::size_t count) {
  runs_.push_back({row, col, Read(table, row, col, count), {}, false});
}

void CellEdits::WriteRun(ResultTable& table, std::int32_t row, std::int32_t col,
                         const std::string_view* texts, std::size_t count) {
  Run run{row, col, Read(table, row, col, count), {}, true};
  run.after.ends.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    run.after.bytes.append(texts[i]);
    run.after.ends.push_back(static_cast<std::uint32_t>(run.after.bytes.size()));
  }
  runs_.push_back(std::move(run));
  table.PlaceCells(row, col, texts, count, nullptr);
}

void CellEdits::Finish(const ResultTable& table) {
  for (Run& run : runs_) {
    if (!run.after_known) {
      run.after = Read(table, run.row, run.col, run.before.ends.size());
      run.after_known = true;
    }
  }
  after_ = {table.ColCount(), table.RowCount()};
}

bool CellEdits::Changed() const {
  if (!(before_ == after_))
    return true;
  for (const Run& run : runs_) {
    if (run.before.bytes != run.after.bytes || run.before.ends != run.after.ends)
      return true;
  }
  return false;
}

void CellEdits::Write(ResultTable& table, const Run& run, const Texts& texts) {
  std::vector<std::string_view> views(texts.ends.size());
  std::uint32_t start = 0;
  for (std::size_t i = 0; i < views.size(); ++i) {
    views[i] = std::string_view(texts.bytes).substr(start, texts.ends[i] - start);
    start = texts.ends[i];
  }
  table.PlaceCells(run.row, run.col, views.data(), views.size(), nullptr);
}

void CellEdits::SetExtents(ResultTable& table, Extents extents) {
  table.SetColCount(extents.cols);
  table.SetRowCount(extents.rows);
}

void CellEdits::Undo(ResultTable& table) {
  // Later runs may have written over earlier ones: back to front.
  for (auto run = runs_.rbegin(); run != runs_.rend(); ++run)
    Write(table, *run, run->before);
  SetExtents(table, before_);
}

void CellEdits::Redo(ResultTable& table) {
  SetExtents(table, after_);
  for (const Run& run : runs_)
    Write(table, run, run.after);
}

std::size_t CellEdits::Bytes() const {
  std::size_t bytes = sizeof *this + runs_.capacity() * sizeof(Run);
  for (const Run& run : runs_) {
    bytes += run.before.bytes.capacity() + run.after.bytes.capacity();
    bytes += (run.before.ends.capacity() + run.after.ends.capacity()) * sizeof(std::uint32_t);
  }
  return bytes;
}

// --- Moves and swaps -------------------------------------------------------------------

void MoveStep::Move(ResultTable& table, std::int32_t from, std::int32_t to) const {
  if (kind_ == kRow)
    table.MoveRow(from, to);
  else
    table.MoveColumn(from, to);
}

std::unique_ptr<TableSwap> TableSwap::ClearKeeping(ResultTable& table) {
  std::unique_ptr<TableSwap> step(new TableSwap());
  table.ClearAllKeeping(*step->other_);
  return step;
}

std::unique_ptr<TableSwap> TableSwap::EmptyKeeping(ResultTable& table) {
  std::unique_ptr<TableSwap> step(new TableSwap());
  table.ClearAllKeeping(*step->other_, true);
  return step;
}

} // namespace merge
