#pragma once
// Where the row directory can point: every byte a row is stored in lies in
// an arena block, and every block the process keeps lies within 2^38 bytes
// either way of the first one. A row is then found from five bytes (its
// offset from that point and the compact tag) instead of a whole pointer.
// The system hands out the blocks of one process close together, far inside
// that reach; a block outside it is given back as memory not to be had.

#include "merge/row_codec.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace merge {
namespace reach {

constexpr int kOffsetBits = 39;
constexpr std::uint64_t kHalf = std::uint64_t{1} << (kOffsetBits - 1);
constexpr std::uint64_t kOffsetMask = (std::uint64_t{1} << kOffsetBits) - 1;
constexpr std::uint64_t kCompactBit = std::uint64_t{1} << kOffsetBits;
constexpr int kPackedBytes = 5;

// The point the offsets count from; 0 until the first block is admitted.
inline std::atomic<std::uint64_t> centre{0};

// Whether a block may hold rows; the first block admitted fixes the point.
inline bool Admit(const void* begin, std::size_t size) {
  const auto start = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(begin));
  std::uint64_t c = centre.load(std::memory_order_relaxed);
  if (c == 0 && centre.compare_exchange_strong(c, start, std::memory_order_relaxed))
    c = start;
  return start + kHalf > c && start + size <= c + kHalf;
}

// A stored row as five bytes' worth of bits; 0 for the empty row.
inline std::uint64_t Pack(codec::RowRef row) {
  if (!row)
    return 0;
  const std::uint64_t bits = row.Bits();
  const std::uint64_t address = bits & ~codec::RowRef::kCompactTag;
  const std::uint64_t offset = address + kHalf - centre.load(std::memory_order_relaxed);
  return offset | (bits & codec::RowRef::kCompactTag ? kCompactBit : 0);
}

inline codec::RowRef Unpack(std::uint64_t packed) {
  if (packed == 0)
    return {};
  const std::uint64_t address =
      centre.load(std::memory_order_relaxed) - kHalf + (packed & kOffsetMask);
  return codec::RowRef::FromBits(address | (packed & kCompactBit ? codec::RowRef::kCompactTag : 0));
}

} // namespace reach
} // namespace merge
