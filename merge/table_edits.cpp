// The grid's editing tools on the table, each through its undo step.

#include "merge/table_edits.h"

#include "merge/extents.h"
#include "merge/table_commands.h"

#include <algorithm>
#include <deque>
#include <utility>

namespace merge {

namespace {

constexpr std::int32_t kNoEnd = INT32_MAX;

// Calls write(first_col, fields) for each run of consecutive non-empty cells
// of the row in [first_col, end_col).
template <typename Write>
void ForEachRun(const ResultTable& table, std::int32_t row, std::int32_t first_col,
                std::int32_t end_col, Write&& write) {
  std::vector<std::string_view> run;
  std::int32_t run_start = 0;
  table.ForEachCellInRow(row, first_col, end_col, [&](std::int32_t col, std::string_view text) {
    if (!run.empty() && col != run_start + static_cast<std::int32_t>(run.size())) {
      write(run_start, run);
      run.clear();
    }
    if (run.empty())
      run_start = col;
    run.push_back(text);
  });
  if (!run.empty())
    write(run_start, run);
}

// Copies the row's cells in [first_col, end_col) into `to`'s row `to_row`,
// each `shift` columns further left.
void CopyRowPart(const ResultTable& from, std::int32_t row, std::int32_t first_col,
                 std::int32_t end_col, ResultTable& to, std::int32_t to_row, std::int32_t shift) {
  ForEachRun(from, row, first_col, end_col,
             [&](std::int32_t col, const std::vector<std::string_view>& texts) {
               to.PlaceCells(to_row, col - shift, texts.data(), texts.size(), nullptr);
             });
}

// Empties the row's cells in [first_col, end_col).
void ClearRowPart(ResultTable& table, std::int32_t row, std::int32_t first_col,
                  std::int32_t end_col) {
  std::vector<std::pair<std::int32_t, std::size_t>> runs;
  ForEachRun(table, row, first_col, end_col,
             [&](std::int32_t col, const std::vector<std::string_view>& texts) {
               runs.emplace_back(col, texts.size());
             });
  for (const auto& [col, count] : runs) {
    const std::vector<std::string_view> empty(count);
    table.PlaceCells(row, col, empty.data(), count, nullptr);
  }
}

// Deleting `count` rows (columns) from `first`, or inserting them there,
// inside an extent `extent` long: a turn of the block between `first` and
// the extent, and the rows (columns) that leave or enter the extent kept.
class BlockStep : public HistoryStep {
public:
  BlockStep(bool columns, bool insert, std::int32_t first, std::int32_t count, std::int32_t extent,
            std::int32_t fixed)
      : columns_(columns), insert_(insert), first_(first), count_(count), extent_(extent),
        after_(insert ? extent + count : std::max(extent - count, fixed + 1)) {}

  void Redo(ResultTable& table) override {
    if (insert_) {
      Cut(table, extent_);
      SetExtent(table, after_);
      Rotate(table, first_, extent_, extent_ + count_);
    } else {
      Rotate(table, first_, first_ + count_, extent_);
      Cut(table, extent_ - count_);
      SetExtent(table, after_);
    }
  }
  void Undo(ResultTable& table) override {
    if (insert_) {
      Rotate(table, first_, first_ + count_, extent_ + count_);
      SetExtent(table, extent_);
      Paste(table, extent_);
    } else {
      SetExtent(table, extent_);
      Paste(table, extent_ - count_);
      Rotate(table, first_, extent_ - count_, extent_);
    }
  }
  std::size_t Bytes() const override { return sizeof *this + kept_->MemoryUsed(); }

private:
  void Rotate(ResultTable& table, std::int32_t first, std::int32_t middle, std::int32_t end) const {
    if (columns_)
      table.RotateColumns(first, middle, end);
    else
      table.RotateRows(first, middle, end);
  }
  void SetExtent(ResultTable& table, std::int32_t value) const {
    if (columns_)
      table.SetColCount(value);
    else
      table.SetRowCount(value);
  }
  // Moves rows (columns) lo .. lo+count-1 into kept_, from its row (column) 0.
  void Cut(ResultTable& table, std::int32_t lo) {
    kept_ = std::make_unique<ResultTable>();
    if (!columns_) {
      for (std::int32_t i = 0; i < count_; ++i) {
        CopyRowPart(table, lo + i, 0, kNoEnd, *kept_, i, 0);
        table.ClearRow(lo + i);
      }
      return;
    }
    for (std::int64_t r = 0; r < table.StoredRowsEnd(); ++r) {
      const auto row = static_cast<std::int32_t>(r);
      CopyRowPart(table, row, lo, lo + count_, *kept_, row, lo);
      ClearRowPart(table, row, lo, lo + count_);
    }
  }
  void Paste(ResultTable& table, std::int32_t lo) const {
    if (!columns_) {
      for (std::int32_t i = 0; i < count_; ++i)
        CopyRowPart(*kept_, i, 0, kNoEnd, table, lo + i, 0);
      return;
    }
    for (std::int64_t r = 0; r < kept_->StoredRowsEnd(); ++r) {
      const auto row = static_cast<std::int32_t>(r);
      CopyRowPart(*kept_, row, 0, count_, table, row, -lo);
    }
  }

  bool columns_;
  bool insert_;
  std::int32_t first_, count_, extent_, after_;
  std::unique_ptr<ResultTable> kept_ = std::make_unique<ResultTable>();
};

std::unique_ptr<HistoryStep> MakeBlock(ResultTable& table, bool columns, bool insert,
                                       std::int32_t first, std::int32_t count) {
  const std::int32_t extent = columns ? table.ColCount() : table.RowCount();
  const std::int32_t fixed = columns ? table.FixedCols() : table.FixedRows();
  auto step = std::make_unique<BlockStep>(columns, insert, first, count, extent, fixed);
  BulkChange bulk(table);
  step->Redo(table);
  return step;
}

bool InsideExtent(std::int32_t first, std::int32_t count, std::int32_t extent) {
  return count > 0 && first >= 0 && first <= extent - count;
}

// The visible parts of RemoveVisibleRows' rows, kept.
class RemovedRows : public HistoryStep {
public:
  RemovedRows(const ResultTable& table, std::vector<std::int32_t> rows) : rows_(std::move(rows)) {
    for (std::size_t k = 0; k < rows_.size(); ++k)
      CopyRowPart(table, rows_[k], 0, table.ColCount(), kept_, static_cast<std::int32_t>(k), 0);
  }
  void Undo(ResultTable& table) override { table.RestoreVisibleRows(rows_, kept_); }
  void Redo(ResultTable& table) override { table.RemoveVisibleRows(rows_); }
  std::size_t Bytes() const override {
    return sizeof *this + rows_.capacity() * sizeof(std::int32_t) + kept_.MemoryUsed();
  }

private:
  std::vector<std::int32_t> rows_;
  ResultTable kept_;
};

void AppendQuoted(std::string& out, std::string_view text) {
  const bool quote = !text.empty() && (text.front() == '"' ||
                                       text.find_first_of("\t\r\n") != std::string_view::npos);
  if (!quote) {
    out.append(text);
    return;
  }
  out.push_back('"');
  for (const char c : text) {
    if (c == '"')
      out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

} // namespace

std::unique_ptr<CellEdits> ClearRange(ResultTable& table, const CellRange& range) {
  auto edits = std::make_unique<CellEdits>(table);
  BulkChange bulk(table);
  const std::vector<std::string_view> empty(
      static_cast<std::size_t>(std::max(range.end_col - range.first_col, 0)));
  for (std::int32_t row = range.first_row; row < range.end_row && !empty.empty(); ++row)
    edits->WriteRun(table, row, range.first_col, empty.data(), empty.size());
  edits->Finish(table);
  return edits;
}

std::string CopyRange(const ResultTable& table, const CellRange& range) {
  std::string out;
  for (std::int32_t row = range.first_row; row < range.end_row; ++row) {
    for (std::int32_t col = range.first_col; col < range.end_col; ++col) {
      if (col > range.first_col)
        out.push_back('\t');
      AppendQuoted(out, table.GetCell(col, row));
    }
    out.append("\r\n");
  }
  return out;
}

std::unique_ptr<CellEdits> PasteText(ResultTable& table, std::int32_t col, std::int32_t row,
                                     std::string_view text) {
  auto edits = std::make_unique<CellEdits>(table);
  BulkChange bulk(table);
  std::int32_t cols = table.ColCount();
  std::int32_t rows = table.RowCount();
  std::vector<std::string_view> fields;
  std::deque<std::string> unquoted; // texts of quoted cells, for this row
  std::size_t at = 0;
  while (at < text.size()) {
    fields.clear();
    unquoted.clear();
    // One line: fields up to its end, a quoted field running over breaks.
    for (;;) {
      if (at < text.size() && text[at] == '"') {
        std::string& cell = unquoted.emplace_back();
        ++at;
        while (at < text.size()) {
          if (text[at] == '"') {
            if (at + 1 < text.size() && text[at + 1] == '"') {
              cell.push_back('"');
              at += 2;
              continue;
            }
            ++at;
            break;
          }
          cell.push_back(text[at++]);
        }
        // Anything after the closing quote up to the separator belongs to it.
        const std::size_t stop = std::min(text.find_first_of("\t\r\n", at), text.size());
        cell.append(text.substr(at, stop - at));
        at = stop;
        fields.push_back(cell);
      } else {
        const std::size_t stop = std::min(text.find_first_of("\t\r\n", at), text.size());
        fields.push_back(text.substr(at, stop - at));
        at = stop;
      }
      if (at < text.size() && text[at] == '\t') {
        ++at;
        continue;
      }
      break;
    }
    if (at < text.size() && text[at] == '\r')
      ++at;
    if (at < text.size() && text[at] == '\n')
      ++at;
    edits->WriteRun(table, row, col, fields.data(), fields.size());
    cols = ColCountAfterFields(cols, col, FieldCount(fields.size()));
    rows = std::max(rows, row + 1);
    StepRow(row);
  }
  table.SetColCount(cols);
  table.SetRowCount(rows);
  edits->Finish(table);
  return edits;
}

std::unique_ptr<HistoryStep> DeleteRows(ResultTable& table, std::int32_t first,
                                        std::int32_t count) {
  if (!InsideExtent(first, count, table.RowCount()))
    return nullptr;
  return MakeBlock(table, false, false, first, count);
}

std::unique_ptr<HistoryStep> DeleteColumns(ResultTable& table, std::int32_t first,
                                           std::int32_t count) {
  if (!InsideExtent(first, count, table.ColCount()))
    return nullptr;
  return MakeBlock(table, true, false, first, count);
}

std::unique_ptr<HistoryStep> InsertRow(ResultTable& table, std::int32_t at) {
  if (at < 0 || at > table.RowCount() || table.RowCount() == INT32_MAX)
    return nullptr;
  return MakeBlock(table, false, true, at, 1);
}

std::unique_ptr<HistoryStep> InsertColumn(ResultTable& table, std::int32_t at) {
  if (at < 0 || at > table.ColCount() || table.ColCount() == INT32_MAX)
    return nullptr;
  return MakeBlock(table, true, true, at, 1);
}

std::unique_ptr<HistoryStep> RemoveRowsKept(ResultTable& table, std::vector<std::int32_t> rows) {
  auto step = std::make_unique<RemovedRows>(table, rows);
  BulkChange bulk(table);
  table.RemoveVisibleRows(rows);
  return step;
}

std::unique_ptr<HistoryStep> DeleteEmptyRowsKept(ResultTable& table, bool file_name_column,
                                                 bool name_first) {
  const std::vector<std::int32_t> rows = EmptyRows(table, file_name_column, name_first);
  if (rows.empty())
    return nullptr;
  return RemoveRowsKept(table, rows);
}

// --- A collect that adds ------------------------------------------------------------

AddedPart::AddedPart(const ResultTable& table, std::int32_t first_row, std::int32_t first_col)
    : first_row_(first_row), first_col_(first_col), other_(std::make_unique<ResultTable>()) {
  const std::int64_t end = table.StoredRowsEnd();
  for (std::int64_t r = first_col_ == kNoEnd ? first_row_ : 0; r < end; ++r) {
    const auto row = static_cast<std::int32_t>(r);
    const std::int32_t from_col = row >= first_row_ ? 0 : first_col_;
    if (from_col < kNoEnd)
      CopyRowPart(table, row, from_col, kNoEnd, *other_, row, 0);
  }
  other_state_ = {table.ColCount(), table.RowCount(), table.Encoding(), table.EncodingFixed()};
}

void AddedPart::Finish(const ResultTable&) {}

void AddedPart::Exchange(ResultTable& table) {
  auto now = std::make_unique<ResultTable>();
  const std::int64_t end = std::max(table.StoredRowsEnd(), other_->StoredRowsEnd());
  for (std::int64_t r = first_col_ == kNoEnd ? first_row_ : 0; r < end; ++r) {
    const auto row = static_cast<std::int32_t>(r);
    const std::int32_t from_col = row >= first_row_ ? 0 : first_col_;
    if (from_col == kNoEnd)
      continue;
    CopyRowPart(table, row, from_col, kNoEnd, *now, row, 0);
    if (from_col == 0)
      table.ClearRow(row);
    else
      ClearRowPart(table, row, from_col, kNoEnd);
    CopyRowPart(*other_, row, 0, kNoEnd, table, row, 0);
  }
  const State state{table.ColCount(), table.RowCount(), table.Encoding(), table.EncodingFixed()};
  table.SetColCount(other_state_.cols);
  table.SetRowCount(other_state_.rows);
  table.RestoreEncoding(other_state_.encoding, other_state_.encoding_fixed);
  other_ = std::move(now);
  other_state_ = state;
}

} // namespace merge
