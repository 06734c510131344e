// ResultTable's rows in another order (a sort) and rows set aside (removed
// duplicates kept for their undo): both move the row slots only, never the
// cells.

#include "merge/cell_arena.h"
#include "merge/result_table.h"
#include "merge/set_aside.h"
#include "platform/errors.h"

#include <string>

namespace merge {

using namespace codec;

namespace {

bool Bit(const std::vector<std::uint64_t>& bits, std::size_t i) {
  return (bits[i / 64] >> (i % 64) & 1) != 0;
}

void CheckRange(std::int64_t first, std::int64_t end) {
  if (first < 0 || end < first || end > INT32_MAX)
    throw platform::Error("List index out of bounds (" + std::to_string(first < 0 ? first : end) +
                          ")");
}

} // namespace

void ResultTable::PermuteRows(std::int32_t first, const std::uint32_t* order, std::size_t count,
                              bool back) {
  CheckRange(first, std::int64_t{first} + static_cast<std::int64_t>(count));
  if (count < 2)
    return;
  InvalidateCursor();
  // Any row may land anywhere in the range: its pages exist before the first
  // slot is written, so that the walk below cannot fail halfway.
  const std::int32_t last = first + static_cast<std::int32_t>(count - 1);
  for (std::int64_t r = first; r <= last; r += RowDirectory::kRowsPerPage)
    rows_.Reserve(static_cast<std::int32_t>(r));
  rows_.Reserve(last);
  std::vector<std::uint64_t> done((count + 63) / 64, 0);
  const auto mark = [&done](std::size_t i) { done[i / 64] |= std::uint64_t{1} << (i % 64); };
  const auto slot = [first](std::size_t i) { return first + static_cast<std::int32_t>(i); };
  // Each cycle of the permutation is walked once, one slot held aside.
  for (std::size_t start = 0; start < count; ++start) {
    if (Bit(done, start))
      continue;
    if (!back) { // row i takes row order[i]
      const RowRef held = rows_.Get(slot(start));
      std::size_t i = start;
      for (;;) {
        mark(i);
        const std::size_t from = order[i];
        if (from == start) {
          rows_.Set(slot(i), held);
          break;
        }
        rows_.Set(slot(i), rows_.Get(slot(from)));
        i = from;
      }
    } else { // row i goes back to order[i]
      RowRef carried = rows_.Get(slot(start));
      std::size_t i = start;
      do {
        mark(i);
        const std::size_t to = order[i];
        const RowRef displaced = rows_.Get(slot(to));
        rows_.Set(slot(to), carried);
        carried = displaced;
        i = to;
      } while (i != start);
    }
  }
  NotifyReset();
}

ResultTable::SetAsideId ResultTable::TakeOutRows(std::int32_t first, std::int32_t end,
                                                 const std::vector<std::uint64_t>& taken) {
  CheckRange(first, end);
  const auto count = static_cast<std::size_t>(end - first);
  std::size_t taken_count = 0;
  for (std::size_t i = 0; i < count; ++i)
    taken_count += Bit(taken, i) ? 1 : 0;
  // Taken before any slot changes: running out of memory changes nothing.
  std::vector<unsigned char> slots(taken_count * reach::kPackedBytes);
  const SetAsideId id = SetAside::NextId();
  auto placed = set_aside_->rows.emplace(id, std::vector<unsigned char>()).first;
  InvalidateCursor();
  std::int32_t write = first;
  std::size_t k = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::int32_t row = first + static_cast<std::int32_t>(i);
    const RowRef stored = rows_.Get(row);
    if (Bit(taken, i)) {
      if (stored == tail_row_)
        tail_row_ = {}; // nothing may grow it in place while it is aside
      SetAside::SetRowAt(slots, k++, stored);
    } else {
      rows_.Set(write++, stored); // moves up: its slot exists
    }
  }
  for (std::int32_t row = write; row < end; ++row)
    rows_.Set(row, {});
  placed->second = std::move(slots);
  NotifyReset();
  return id;
}

void ResultTable::PutBackRows(SetAsideId id, std::int32_t first, std::int32_t end,
                              const std::vector<std::uint64_t>& taken) {
  CheckRange(first, end);
  const auto found = set_aside_->rows.find(id);
  if (found == set_aside_->rows.end())
    return;
  const std::vector<unsigned char>& slots = found->second;
  const std::size_t taken_count = slots.size() / reach::kPackedBytes;
  const auto count = static_cast<std::size_t>(end - first);
  for (std::int64_t r = first; r < end; r += RowDirectory::kRowsPerPage)
    rows_.Reserve(static_cast<std::int32_t>(r));
  if (end > first)
    rows_.Reserve(end - 1);
  InvalidateCursor();
  // From the bottom up, so that a kept row is read before its old place
  // below it is written.
  std::size_t k = taken_count;
  std::int64_t kept = std::int64_t{first} + static_cast<std::int64_t>(count - taken_count) - 1;
  for (std::size_t i = count; i-- > 0;) {
    const std::int32_t row = first + static_cast<std::int32_t>(i);
    if (Bit(taken, i))
      rows_.Set(row, SetAside::RowAt(slots, --k));
    else
      rows_.Set(row, rows_.Get(static_cast<std::int32_t>(kept--)));
  }
  set_aside_->rows.erase(found);
  NotifyReset();
}

void ResultTable::DropSetAside(SetAsideId id) {
  const auto found = set_aside_->rows.find(id);
  if (found == set_aside_->rows.end())
    return;
  const std::size_t n = found->second.size() / reach::kPackedBytes;
  for (std::size_t i = 0; i < n; ++i)
    garbage_ += ChainBytes(SetAside::RowAt(found->second, i));
  set_aside_->rows.erase(found);
  MaybeCompact();
}

void ResultTable::CompactSetAside(bool& copied_any) {
  for (auto& [id, slots] : set_aside_->rows) {
    const std::size_t n = slots.size() / reach::kPackedBytes;
    for (std::size_t i = 0; i < n; ++i) {
      if (const RowRef row = SetAside::RowAt(slots, i)) {
        SetAside::SetRowAt(slots, i, EncodeCells(DecodeChain(row)));
        copied_any = true;
      }
    }
  }
}

bool ResultTable::AnySetAside() const {
  return !set_aside_->rows.empty();
}

std::size_t ResultTable::SetAsideMemory() const {
  std::size_t bytes = 0;
  for (const auto& entry : set_aside_->rows)
    bytes += entry.second.capacity();
  return bytes;
}

} // namespace merge
