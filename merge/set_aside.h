#pragma once
// The rows a ResultTable holds outside its row directory: rows taken out by
// TakeOutRows, kept whole for PutBackRows (the undo of removing duplicates).
// Each row is its packed five-byte slot, so that setting a row aside costs
// what its directory slot did.

#include "merge/result_table.h"
#include "merge/row_reach.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <vector>

namespace merge {

struct ResultTable::SetAside {
  // Ids count up from 1 across every table of the process and are never
  // given twice, so that a step kept for a table whose content changed hands
  // can never let go of another step's rows.
  static SetAsideId NextId() {
    static std::atomic<SetAsideId> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
  }
  std::map<SetAsideId, std::vector<unsigned char>> rows; // packed slots, in row order

  static codec::RowRef RowAt(const std::vector<unsigned char>& slots, std::size_t i) {
    std::uint64_t packed = 0;
    for (int b = 0; b < reach::kPackedBytes; ++b)
      packed |= std::uint64_t{slots[i * reach::kPackedBytes + static_cast<std::size_t>(b)]}
                << (8 * b);
    return reach::Unpack(packed);
  }
  static void SetRowAt(std::vector<unsigned char>& slots, std::size_t i, codec::RowRef row) {
    const std::uint64_t packed = reach::Pack(row);
    for (int b = 0; b < reach::kPackedBytes; ++b)
      slots[i * reach::kPackedBytes + static_cast<std::size_t>(b)] =
          static_cast<unsigned char>(packed >> (8 * b));
  }
};

} // namespace merge
