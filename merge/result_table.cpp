#include "merge/result_table.h"

#include "merge/cell_arena.h"
#include "merge/set_aside.h"
#include "platform/errors.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

namespace merge {

using namespace codec;

namespace {

[[noreturn]] void ThrowListIndex(std::int64_t index) {
  throw platform::Error("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace

struct ResultTable::SharedIndex {
  std::deque<std::string> texts; // a deque: views of its strings never move
  std::unordered_map<std::string_view, SharedTextId> ids;
};

ResultTable::ResultTable()
    : arena_(std::make_unique<CellArena>()), shared_(std::make_unique<SharedIndex>()),
      set_aside_(std::make_unique<SetAside>()) {}

ResultTable::~ResultTable() = default;

// --- Rows in the store ---------------------------------------------------------

std::string_view ResultTable::SharedText(SharedTextId id) const {
  return shared_->texts[id];
}

std::size_t ResultTable::SharedTextCount() const {
  return shared_->texts.size();
}

RowRef ResultTable::StoredRow(std::int32_t row) const {
  if (row < 0)
    ThrowListIndex(row);
  return rows_.Get(row);
}

RowRef ResultTable::EncodeCells(const std::vector<Cell>& cells) {
  if (cells.empty())
    return {};
  const Encoded encoded = codec::EncodeCells(cells, *arena_);
  tail_row_ = encoded.row;
  tail_end_ = encoded.end;
  return encoded.row;
}

void ResultTable::ReplaceRow(std::int32_t row, const std::vector<Cell>& cells) {
  const RowRef old = rows_.Get(row);
  const RowRef fresh = EncodeCells(cells); // may read from the old row: free it after
  garbage_ += ChainBytes(old);
  rows_.Set(row, fresh);
}

// --- Reading -----------------------------------------------------------------

void ResultTable::InvalidateCursor() const {
  cursor_.row = -1;
}

std::string_view ResultTable::GetCell(std::int32_t col, std::int32_t row) const {
  if (row < 0)
    ThrowListIndex(row);
  if (col < 0)
    return {};
  const auto text_of = [this](const Token& token) -> std::string_view {
    if (token.kind == kText)
      return std::string_view(reinterpret_cast<const char*>(token.text), token.n);
    if (token.kind == kShared)
      return SharedText(static_cast<SharedTextId>(token.n));
    return {};
  };
  const RowRef stored = rows_.Get(row);
  if (stored.IsCompact()) {
    std::uint64_t count;
    const unsigned char* p = CompactTokens(stored, count);
    if (static_cast<std::uint64_t>(col) >= count)
      return {};
    std::int64_t at = 0;
    if (cursor_.row == row && col >= cursor_.col) {
      p = cursor_.pos;
      at = cursor_.col;
    }
    const Token token = FindToken(p, at, col);
    cursor_ = {row, static_cast<std::int32_t>(token.col), nullptr, token.start};
    return text_of(token);
  }
  const Segment* last = stored.Last();
  const Segment* seg;
  const unsigned char* p = nullptr;
  std::int64_t at = 0;
  if (cursor_.row == row && col >= cursor_.col) {
    seg = cursor_.segment;
    p = cursor_.pos;
    at = cursor_.col;
  } else {
    seg = FirstOf(last);
  }
  for (; seg; seg = AfterIn(seg, last), p = nullptr) {
    if (col < BaseOf(seg))
      return {};
    if (col >= EndOf(seg))
      continue;
    if (!p) {
      p = Payload(seg);
      at = BaseOf(seg);
    }
    const Token token = FindToken(p, at, col);
    cursor_ = {row, static_cast<std::int32_t>(token.col), seg, token.start};
    return text_of(token);
  }
  return {};
}

// --- Writing -----------------------------------------------------------------

SharedTextId ResultTable::InternText(std::string_view text) {
  const auto found = shared_->ids.find(text);
  if (found != shared_->ids.end())
    return found->second;
  const auto id = static_cast<SharedTextId>(shared_->texts.size());
  shared_->texts.emplace_back(text);
  shared_->ids.emplace(shared_->texts.back(), id);
  return id;
}

Segment* ResultTable::ChainForAppend(std::int32_t row, RowRef compact) {
  // The copy is the arena's last run: the new cells extend it in place.
  const Converted chain = ToChain(compact, *arena_);
  garbage_ += ChainBytes(compact);
  rows_.Set(row, RowRef::Chain(chain.segment));
  tail_row_ = RowRef::Chain(chain.segment);
  tail_end_ = chain.end;
  return chain.segment;
}

bool ResultTable::AppendCells(std::int32_t row, std::int32_t start_col,
                              const std::string_view* fields, std::size_t count,
                              const SharedTextId* trailing) {
  const RowRef stored = rows_.Get(row);
  const std::int64_t row_end = RowEnd(stored);
  if (stored && start_col < row_end)
    return false;
  const CellsLayout layout = LayOutCells(fields, count, trailing);
  const std::size_t size = layout.size;
  const auto covers = static_cast<std::uint32_t>(count + (trailing ? 1 : 0));
  if (covers == 0)
    return true;
  const auto gap = static_cast<std::uint64_t>(start_col - row_end);
  const std::size_t gap_size = gap ? GapSize(gap) : 0;
  const std::uint64_t new_end = static_cast<std::uint64_t>(start_col) + covers;

  if (!stored) {
    // A new row is compact: its column count, a gap up to `start_col`, the
    // cells.
    unsigned char* first = arena_->Allocate(VarintSize(new_end) + gap_size + size);
    unsigned char* p = PutVarint(first, new_end);
    if (gap)
      p = PutGap(p, gap);
    tail_row_ = RowRef::Compact(first);
    rows_.Set(row, tail_row_);
    tail_end_ = PutCells(p, layout, fields, count, trailing);
    return true;
  }

  Segment* last = stored.Last();
  if (stored.IsCompact()) {
    // Grown in place while its count keeps the same number of bytes, else
    // made a chain.
    unsigned char* first = stored.CompactBytes();
    if (stored == tail_row_ &&
        VarintSize(new_end) == VarintSize(static_cast<std::uint64_t>(row_end)) &&
        arena_->TryExtend(tail_end_, gap_size + size)) {
      PutVarint(first, new_end);
      unsigned char* p = tail_end_;
      if (gap)
        p = PutGap(p, gap);
      tail_end_ = PutCells(p, layout, fields, count, trailing);
      return true;
    }
    last = ChainForAppend(row, stored);
  }

  unsigned char* p = nullptr;
  if (RowRef::Chain(last) == tail_row_ && arena_->TryExtend(tail_end_, gap_size + size)) {
    p = tail_end_;
    if (gap)
      p = PutGap(p, gap);
    SetCount(last, static_cast<std::uint32_t>(CountOf(last) + gap + covers));
  } else {
    auto* seg = reinterpret_cast<Segment*>(arena_->Allocate(kHeader + size));
    WriteHeader(seg, start_col, covers);
    SetNext(seg, NextOf(last));
    SetNext(last, seg);
    rows_.Set(row, RowRef::Chain(seg));
    tail_row_ = RowRef::Chain(seg);
    p = Bytes(seg) + kHeader;
  }
  tail_end_ = PutCells(p, layout, fields, count, trailing);
  return true;
}

void ResultTable::SetCell(std::int32_t col, std::int32_t row, std::string_view text) {
  if (col < 0)
    ThrowListIndex(col);
  if (row < 0)
    ThrowListIndex(row);
  if (text.empty() && GetCell(col, row).empty())
    return;
  InvalidateCursor();
  if (text.empty() || !AppendCells(row, col, &text, 1, nullptr)) {
    std::vector<Cell> cells = DecodeChain(rows_.Get(row));
    auto it = std::lower_bound(cells.begin(), cells.end(), col,
                               [](const Cell& c, std::int32_t v) { return c.col < v; });
    if (it != cells.end() && it->col == col) {
      if (text.empty())
        cells.erase(it);
      else
        *it = {col, false, 0, text};
    } else if (!text.empty()) {
      cells.insert(it, {col, false, 0, text});
    }
    ReplaceRow(row, cells);
    MaybeCompact();
  }
  NotifyCell(col, row);
}

void ResultTable::PlaceCells(std::int32_t row, std::int32_t start_col,
                             const std::string_view* fields, std::size_t count,
                             const SharedTextId* trailing) {
  if (start_col < 0)
    ThrowListIndex(start_col);
  if (row < 0)
    ThrowListIndex(row);
  if (count == 0 && !trailing)
    return;
  InvalidateCursor();
  if (!AppendCells(row, start_col, fields, count, trailing)) {
    const std::int64_t end = std::int64_t{start_col} + count + (trailing ? 1 : 0);
    std::vector<Cell> old = DecodeChain(rows_.Get(row));
    std::vector<Cell> cells;
    cells.reserve(old.size() + count + 1);
    auto it = old.begin();
    for (; it != old.end() && it->col < start_col; ++it)
      cells.push_back(*it);
    for (std::size_t i = 0; i < count; ++i)
      if (!fields[i].empty())
        cells.push_back({static_cast<std::int32_t>(start_col + i), false, 0, fields[i]});
    if (trailing)
      cells.push_back({static_cast<std::int32_t>(start_col + count), true, *trailing, {}});
    for (; it != old.end(); ++it)
      if (it->col >= end)
        cells.push_back(*it);
    ReplaceRow(row, cells);
    MaybeCompact();
  }
  if (observer_ && bulk_depth_ == 0) {
    for (std::size_t i = 0; i <= count; ++i)
      if (i < count || trailing)
        NotifyCell(static_cast<std::int32_t>(start_col + i), row);
  }
}

// --- Extents -------------------------------------------------------------------

namespace {

// One extent and its fixed count: at least 1, and a fixed count that no
// longer fits is lowered for good. False when nothing changes.
bool SetExtent(std::int32_t& count, std::int32_t& fixed, std::int32_t value) {
  if (value == count)
    return false;
  value = std::max(value, 1);
  if (value <= fixed)
    fixed = value - 1;
  count = value;
  return true;
}

} // namespace

void ResultTable::SetColCount(std::int32_t value) {
  const std::int32_t old_cols = col_count_;
  if (SetExtent(col_count_, fixed_cols_, value))
    NotifyExtents(old_cols, row_count_);
}

void ResultTable::SetRowCount(std::int32_t value) {
  const std::int32_t old_rows = row_count_;
  if (SetExtent(row_count_, fixed_rows_, value))
    NotifyExtents(col_count_, old_rows);
}

// --- Clearing --------------------------------------------------------------------

void ResultTable::DropRow(std::int32_t row) {
  const RowRef stored = rows_.Get(row);
  if (!stored)
    return;
  garbage_ += ChainBytes(stored);
  if (stored == tail_row_)
    tail_row_ = {};
  rows_.Set(row, {});
}

void ResultTable::ClearRow(std::int32_t row) {
  if (row < 0)
    ThrowListIndex(row);
  InvalidateCursor();
  DropRow(row);
  MaybeCompact();
  if (observer_ && bulk_depth_ == 0 && row < row_count_)
    observer_->RowChanged(row);
}

void ResultTable::ClearAll() {
  // Taken before anything changes: clearing never fails halfway.
  auto fresh_shared = std::make_unique<SharedIndex>();
  InvalidateCursor();
  ++bulk_depth_;
  const std::int32_t old_rows = row_count_;
  for (std::int32_t r = 0; r < old_rows; ++r)
    DropRow(r);
  bool rows_left = AnySetAside();
  for (std::int64_t r = old_rows; r < rows_.StoredEnd() && !rows_left; ++r)
    rows_left = static_cast<bool>(rows_.Get(static_cast<std::int32_t>(r)));
  if (rows_left) {
    MaybeCompact();
  } else {
    // Nothing survives: give all memory back.
    rows_.Clear();
    arena_->Release();
    retired_arenas_.clear();
    shared_ = std::move(fresh_shared);
    garbage_ = 0;
    compact_again_at_ = 0;
    tail_row_ = {};
  }
  SetRowCount(2);
  SetColCount(2);
  encoding_fixed_ = false;
  encoding_ = TextEncoding::kCp1251;
  may_hold_invalid_utf8_ = false;
  EndBulkChange();
}

void ResultTable::MaybeCompact() {
  if (garbage_ < compact_above_ || garbage_ < arena_->Used() / 2 || garbage_ < compact_again_at_)
    return;
  // Copy every live row into a fresh arena, one segment a row, and let the
  // old blocks go. Views handed out earlier die here.
  // Compaction only saves memory: when memory runs out halfway, the rows
  // copied so far live in the new arena, the others still in the old one,
  // which is kept; the step that asked for compaction has succeeded anyway.
  std::unique_ptr<CellArena> fresh;
  try {
    retired_arenas_.reserve(retired_arenas_.size() + 1);
    fresh = std::make_unique<CellArena>();
  } catch (const std::bad_alloc&) {
    return;
  }
  std::swap(arena_, fresh); // `fresh` now holds the old blocks until the end
  tail_row_ = {};
  InvalidateCursor();
  bool copied_any = false;
  try {
    for (std::int64_t r = 0; r < rows_.StoredEnd(); ++r) {
      const auto row = static_cast<std::int32_t>(r);
      if (const RowRef stored = rows_.Get(row)) {
        rows_.Set(row, EncodeCells(DecodeChain(stored)));
        copied_any = true;
      }
    }
    CompactSetAside(copied_any);
  } catch (const std::bad_alloc&) {
    tail_row_ = {};
    if (copied_any)
      retired_arenas_.push_back(std::move(fresh)); // capacity reserved: no throw
    else
      std::swap(arena_, fresh); // nothing moved: the old arena and its room go on serving
    // Not tried again on every change while memory is short: only once as
    // much garbage again has gathered.
    compact_again_at_ = garbage_ + compact_above_;
    return;
  }
  retired_arenas_.clear(); // every row now lives in the new arena
  garbage_ = 0;
  compact_again_at_ = 0;
}

std::size_t ResultTable::MemoryUsed() const {
  std::size_t bytes = arena_->Used();
  bytes += rows_.MemoryUsed();
  bytes += SetAsideMemory();
  for (const std::string& s : shared_->texts)
    bytes += s.capacity() + sizeof s;
  return bytes;
}

// --- Telling the view -------------------------------------------------------------------

void ResultTable::NotifyCell(std::int32_t col, std::int32_t row) {
  if (observer_ && bulk_depth_ == 0 && col < col_count_ && row < row_count_)
    observer_->CellChanged(col, row);
}

void ResultTable::NotifyExtents(std::int32_t old_cols, std::int32_t old_rows) {
  if (observer_ && bulk_depth_ == 0)
    observer_->ExtentsChanged(old_cols, old_rows);
}

void ResultTable::NotifyReset() {
  if (observer_ && bulk_depth_ == 0)
    observer_->TableReset();
}

void ResultTable::BeginBulkChange() {
  ++bulk_depth_;
}

void ResultTable::EndBulkChange() {
  if (bulk_depth_ > 0 && --bulk_depth_ == 0)
    NotifyReset();
}

} // namespace merge
