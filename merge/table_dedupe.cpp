// Finding repeated rows in one pass: an open-addressed table of row indexes
// (four bytes a slot, a quarter more slots than rows) with one byte of each
// row's hash beside it, so that a row is compared cell by cell only with the
// rows whose hash byte matches. Six and a quarter bytes a row, given back
// before the rows are taken out.

#include "merge/table_dedupe.h"

#include "merge/mapped_memory.h"
#include "merge/stored_row_cells.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

namespace merge {

namespace {

constexpr std::size_t kTellEvery = 1 << 16;

std::uint64_t Mix(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// A cell's bytes folded into the hash eight at a time, inline: most cells
// are a few bytes, for which a call of a general hash costs more than the
// hashing.
std::uint64_t HashCell(std::uint64_t h, std::int32_t col, std::string_view text) {
  constexpr std::uint64_t kMul = 0x9FB21C651E98DF25ull;
  h = (h ^ static_cast<std::uint64_t>(col) ^ (std::uint64_t{text.size()} << 32)) * kMul;
  const char* p = text.data();
  std::size_t n = text.size();
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * kMul;
    h ^= h >> 29;
  }
  if (n > 0) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, n);
    h = (h ^ word) * kMul;
    h ^= h >> 29;
  }
  return h;
}

std::uint64_t RowHash(const ResultTable& table, codec::RowRef row, std::int32_t cols) {
  std::uint64_t h = 0x9E3779B97F4A7C15ull;
  ForEachCellOfRow(table, row, cols,
                   [&h](std::int32_t col, std::string_view text) { h = HashCell(h, col, text); });
  return Mix(h);
}

// The next non-empty cell of a row, or false at its end.
class CellWalk {
public:
  CellWalk(const ResultTable& table, codec::RowRef row, std::int32_t cols)
      : table_(table), pieces_(row, cols) {}
  bool Next(std::int64_t& col, std::string_view& text) {
    codec::RowPiece piece;
    while (pieces_.Next(piece)) {
      col = piece.col;
      if (piece.kind == codec::RowPiece::kShared) {
        text = table_.SharedText(static_cast<SharedTextId>(piece.size));
        return true;
      }
      if (piece.size > 0) {
        text = std::string_view(reinterpret_cast<const char*>(piece.data), piece.size);
        return true;
      }
    }
    return false;
  }

private:
  const ResultTable& table_;
  codec::RowPieces<false> pieces_;
};

bool RowsEqual(const ResultTable& table, codec::RowRef a, codec::RowRef b, std::int32_t cols) {
  if (a == b)
    return true;
  CellWalk wa(table, a, cols);
  CellWalk wb(table, b, cols);
  for (;;) {
    std::int64_t ca = 0, cb = 0;
    std::string_view ta, tb;
    const bool more_a = wa.Next(ca, ta);
    const bool more_b = wb.Next(cb, tb);
    if (more_a != more_b)
      return false;
    if (!more_a)
      return true;
    if (ca != cb || ta != tb)
      return false;
  }
}

void Tell(platform::Progress* progress, std::size_t done, std::size_t total) {
  if (!progress)
    return;
  progress->PartsDone(static_cast<std::int64_t>(done), static_cast<std::int64_t>(total));
  if (progress->CancelRequested())
    throw platform::Cancelled();
}

// The slots of the hash table in one mapping advised for huge pages (a
// slot is looked up once a row, anywhere in it): the rows' indexes, then
// their hash bytes.
class Slots {
public:
  explicit Slots(std::size_t count)
      : count_(count), bytes_(count * (sizeof(std::uint32_t) + 1)),
        memory_(MapMemory(bytes_, std::size_t{2} << 20)) {}
  ~Slots() { UnmapMemory(memory_, bytes_); }
  Slots(const Slots&) = delete;
  Slots& operator=(const Slots&) = delete;
  std::uint32_t* Index() const { return static_cast<std::uint32_t*>(memory_); }
  std::uint8_t* Tag() const {
    return static_cast<std::uint8_t*>(memory_) + count_ * sizeof(std::uint32_t);
  }

private:
  std::size_t count_;
  std::size_t bytes_;
  void* memory_;
};

// Bit i set: row first + i repeats an earlier row. The rows are hashed a
// batch ahead of their lookups, whose slots are fetched meanwhile: each
// lookup is a miss of the cache otherwise, and they dominate.
std::vector<std::uint64_t> FindRepeats(const ResultTable& table, std::int32_t first,
                                       std::int32_t end, platform::Progress* progress,
                                       std::int64_t& repeats) {
  const auto count = static_cast<std::size_t>(end - first);
  const std::int32_t cols = table.ColCount();
  std::vector<std::uint64_t> taken((count + 63) / 64, 0);
  const std::size_t slots = count + count / 4 + 1;
  const Slots table_slots(slots); // zeroed: every slot free (0; a row is its index + 1)
  std::uint32_t* const index = table_slots.Index();
  std::uint8_t* const tag = table_slots.Tag();
  repeats = 0;
  constexpr std::size_t kBatch = 32;
  std::uint64_t hashes[kBatch];
  for (std::size_t base = 0; base < count; base += kBatch) {
    if (base % kTellEvery == 0)
      Tell(progress, base, count);
    const std::size_t batch = std::min(kBatch, count - base);
    for (std::size_t k = 0; k < batch; ++k) {
      const codec::RowRef row = table.StoredRow(first + static_cast<std::int32_t>(base + k));
      hashes[k] = RowHash(table, row, cols);
      const auto at = static_cast<std::size_t>(((hashes[k] & 0xFFFFFFFFull) * slots) >> 32);
      __builtin_prefetch(index + at);
      __builtin_prefetch(tag + at);
    }
    for (std::size_t k = 0; k < batch; ++k) {
      const std::size_t i = base + k;
      const std::uint64_t h = hashes[k];
      const auto row_tag = static_cast<std::uint8_t>(h >> 56);
      std::size_t at = static_cast<std::size_t>(((h & 0xFFFFFFFFull) * slots) >> 32);
      for (;;) {
        const std::uint32_t held = index[at];
        if (held == 0) {
          index[at] = static_cast<std::uint32_t>(i + 1);
          tag[at] = row_tag;
          break;
        }
        if (tag[at] == row_tag &&
            RowsEqual(table, table.StoredRow(first + static_cast<std::int32_t>(held - 1)),
                      table.StoredRow(first + static_cast<std::int32_t>(i)), cols)) {
          taken[i / 64] |= std::uint64_t{1} << (i % 64);
          ++repeats;
          break;
        }
        if (++at == slots)
          at = 0;
      }
    }
  }
  Tell(progress, count, count);
  return taken;
}

void ShrinkRows(ResultTable& table, const RemovedDuplicates& removed) {
  const std::int64_t wanted = std::int64_t{removed.old_row_count} - removed.removed;
  table.SetRowCount(
      static_cast<std::int32_t>(std::max<std::int64_t>(wanted, table.FixedRows() + 1)));
}

} // namespace

RemovedDuplicates FindDuplicateRows(const ResultTable& table, bool keep_header,
                                    platform::Progress* progress) {
  RemovedDuplicates removed;
  removed.first = keep_header ? 1 : 0;
  removed.end = std::max(table.RowCount(), removed.first);
  removed.old_row_count = table.RowCount();
  removed.taken = FindRepeats(table, removed.first, removed.end, progress, removed.removed);
  return removed;
}

void TakeOutDuplicates(ResultTable& table, RemovedDuplicates& removed) {
  if (removed.removed == 0)
    return;
  BulkChange bulk(table);
  removed.aside = table.TakeOutRows(removed.first, removed.end, removed.taken);
  ShrinkRows(table, removed);
}

RemovedDuplicates RemoveDuplicateRows(ResultTable& table, bool keep_header,
                                      platform::Progress* progress) {
  RemovedDuplicates removed = FindDuplicateRows(table, keep_header, progress);
  TakeOutDuplicates(table, removed);
  return removed;
}

void RestoreDuplicates(ResultTable& table, RemovedDuplicates& removed) {
  if (removed.removed == 0)
    return;
  BulkChange bulk(table);
  table.SetRowCount(removed.old_row_count);
  table.PutBackRows(removed.aside, removed.first, removed.end, removed.taken);
  removed.aside = 0;
}

void RemoveDuplicatesAgain(ResultTable& table, RemovedDuplicates& removed) {
  TakeOutDuplicates(table, removed);
}

void ForgetDuplicates(ResultTable& table, RemovedDuplicates& removed) {
  if (removed.aside != 0)
    table.DropSetAside(removed.aside);
  removed.aside = 0;
}

} // namespace merge
