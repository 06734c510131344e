#pragma once
// Undo and redo of the changes to the ResultTable.
//
// A step is recorded after its change was made, and stores what it changed
// (the texts a paste wrote over, where a row went), never a copy of the
// table; a step that replaces the whole table (a collect, "Очистить") keeps
// the old table itself, moved (TableSwap). The history holds its steps
// within a budget of bytes and drops the oldest ones past it.
//
// How a new tool adds its step:
//  1. make the change through a step that records it as it goes: CellEdits
//     for texts (WriteCell, WriteRun, then Finish with the new extents), or
//     RowRemoval (below) for rows taken out; or derive from HistoryStep,
//     whose Undo and Redo each give back the exact table before and after,
//     cells beyond the extents included, and whose Bytes counts what the
//     step holds (texts, vectors), not the table;
//  2. hand it to the window's one place for steps,
//     TForm1::RecordStep(std::unique_ptr<merge::HistoryStep>), which also
//     asks the user first when TableHistory::Fits says no.
// A change made without a step must call TableHistory::Forget: no earlier
// step could be undone over it.

#include "merge/result_table.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace merge {

class HistoryStep {
public:
  virtual ~HistoryStep() = default;
  // Both leave the table exactly as it was before (Undo) or after (Redo) the
  // change; either may throw (out of memory), and the history then forgets.
  virtual void Undo(ResultTable& table) = 0;
  virtual void Redo(ResultTable& table) = 0;
  // The bytes the step holds now (a swap's may change with each turn).
  virtual std::size_t Bytes() const = 0;
};

class TableHistory {
public:
  // A quarter of the physical memory.
  static std::size_t DefaultBudget();
  explicit TableHistory(std::size_t budget_bytes = DefaultBudget()) : budget_(budget_bytes) {}

  // Whether a step of this many bytes can be kept at all.
  bool Fits(std::size_t bytes) const { return bytes <= budget_; }
  // Takes a step whose change is already made; the steps undone before are
  // gone, then the oldest steps go until the rest fit the budget. A step
  // that alone exceeds it leaves nothing to undo.
  void Record(std::unique_ptr<HistoryStep> step);
  // Nothing can be undone or redone any more.
  void Forget();

  bool CanUndo() const { return done_ > 0; }
  bool CanRedo() const { return done_ < steps_.size(); }
  // False when there was nothing to take back (make again).
  bool Undo(ResultTable& table);
  bool Redo(ResultTable& table);

  std::size_t Bytes() const;
  std::size_t Budget() const { return budget_; }
  void SetBudget(std::size_t bytes) {
    budget_ = bytes;
    KeepWithinBudget();
  }
  std::size_t StepCount() const { return steps_.size(); }

private:
  void KeepWithinBudget();

  std::size_t budget_;
  std::deque<std::unique_ptr<HistoryStep>> steps_;
  std::size_t done_ = 0; // steps_[0, done_) are made, the rest undone
};

// Texts written into cells, each run of one row's consecutive columns kept
// as it was before and after, and the extents before and after.
class CellEdits : public HistoryStep {
public:
  // Takes the extents before the change.
  explicit CellEdits(const ResultTable& table);

  // Writes the texts at columns col, col+1, ... of `row` (as SetCell of
  // each), keeping what stood there.
  void WriteRun(ResultTable& table, std::int32_t row, std::int32_t col,
                const std::string_view* texts, std::size_t count);
  void WriteCell(ResultTable& table, std::int32_t col, std::int32_t row, std::string_view text) {
    WriteRun(table, row, col, &text, 1);
  }
  // Keeps the run as it stands now as its old texts, for a change made by
  // other means; Finish then reads the new ones.
  void KeepRun(const ResultTable& table, std::int32_t row, std::int32_t col, std::size_t count);
  // Takes the extents after the change (and the new texts of kept runs).
  void Finish(const ResultTable& table);
  // After Finish: whether any text or extent differs from before.
  bool Changed() const;

  void Undo(ResultTable& table) override;
  void Redo(ResultTable& table) override;
  std::size_t Bytes() const override;

private:
  // Texts one after the other, each ending at its entry of `ends`.
  struct Texts {
    std::string bytes;
    std::vector<std::uint32_t> ends;
  };
  struct Run {
    std::int32_t row;
    std::int32_t col;
    Texts before;
    Texts after;
    bool after_known;
  };
  struct Extents {
    std::int32_t cols = 0;
    std::int32_t rows = 0;
    bool operator==(const Extents& o) const { return cols == o.cols && rows == o.rows; }
  };
  static Texts Read(const ResultTable& table, std::int32_t row, std::int32_t col,
                    std::size_t count);
  static void Write(ResultTable& table, const Run& run, const Texts& texts);
  static void SetExtents(ResultTable& table, Extents extents);

  std::vector<Run> runs_;
  Extents before_;
  Extents after_;
};

// A row or a column taken from one place to another (a drag).
class MoveStep : public HistoryStep {
public:
  enum Kind { kRow, kColumn };
  MoveStep(Kind kind, std::int32_t from, std::int32_t to) : kind_(kind), from_(from), to_(to) {}
  void Undo(ResultTable& table) override { Move(table, to_, from_); }
  void Redo(ResultTable& table) override { Move(table, from_, to_); }
  std::size_t Bytes() const override { return sizeof *this; }

private:
  void Move(ResultTable& table, std::int32_t from, std::int32_t to) const;
  Kind kind_;
  std::int32_t from_;
  std::int32_t to_;
};

// The whole table replaced: the other version is kept itself and each turn
// exchanges it with the table's content in constant time.
class TableSwap : public HistoryStep {
public:
  // "Очистить" kept for undo (ResultTable::ClearAllKeeping).
  static std::unique_ptr<TableSwap> ClearKeeping(ResultTable& table);
  // Where a collect that clears the table itself starts: the same, but the
  // extents stay for the collect's ClearAll.
  static std::unique_ptr<TableSwap> EmptyKeeping(ResultTable& table);

  void Undo(ResultTable& table) override { table.SwapContents(*other_); }
  void Redo(ResultTable& table) override { table.SwapContents(*other_); }
  std::size_t Bytes() const override { return other_->MemoryUsed(); }

private:
  TableSwap() : other_(std::make_unique<ResultTable>()) {}
  std::unique_ptr<ResultTable> other_;
};

} // namespace merge
