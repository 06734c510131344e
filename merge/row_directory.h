#pragma once
// Where each row is stored: pages of five-byte row slots (row_reach.h), each
// page mapped on the first write into it, so that a table of millions of rows
// finds any row in two steps and an empty stretch of rows costs nothing.

#include "merge/row_codec.h"
#include "merge/row_reach.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace merge {

class RowDirectory {
public:
  static constexpr int kPageBits = 18;
  static constexpr std::int64_t kRowsPerPage = std::int64_t{1} << kPageBits;

  // The stored row; empty when nothing is stored.
  codec::RowRef Get(std::int32_t row) const {
    const auto page = static_cast<std::size_t>(row >> kPageBits);
    if (page >= pages_.size() || !pages_[page])
      return {};
    const unsigned char* slot = SlotIn(pages_[page].get(), row);
    std::uint64_t packed = 0;
    for (int i = 0; i < reach::kPackedBytes; ++i)
      packed |= std::uint64_t{slot[i]} << (8 * i);
    return reach::Unpack(packed);
  }
  // Sets the stored row; an empty one empties it (without mapping a page
  // for that).
  void Set(std::int32_t row, codec::RowRef stored) {
    const auto page = static_cast<std::size_t>(row >> kPageBits);
    if (!stored && (page >= pages_.size() || !pages_[page]))
      return;
    if (stored)
      Reserve(row);
    unsigned char* slot = SlotIn(pages_[page].get(), row);
    const std::uint64_t packed = reach::Pack(stored);
    for (int i = 0; i < reach::kPackedBytes; ++i)
      slot[i] = static_cast<unsigned char>(packed >> (8 * i));
  }
  // Maps the row's page, so that setting the row later allocates nothing.
  void Reserve(std::int32_t row);
  // Maps, before the row `from` is moved to `to` and the rows between shift
  // by one, every page such a move can write a row into, so that the move
  // itself never allocates.
  void PrepareMove(std::int32_t from, std::int32_t to);

  // One past the highest row ever given a slot: no row at or beyond it
  // holds anything.
  std::int64_t StoredEnd() const { return stored_end_; }
  // Gives every page back.
  void Clear();
  std::size_t MemoryUsed() const;

private:
  static unsigned char* SlotIn(unsigned char* page, std::int32_t row) {
    return page + static_cast<std::size_t>(row & (kRowsPerPage - 1)) * reach::kPackedBytes;
  }
  static const unsigned char* SlotIn(const unsigned char* page, std::int32_t row) {
    return page + static_cast<std::size_t>(row & (kRowsPerPage - 1)) * reach::kPackedBytes;
  }
  bool Mapped(std::int64_t page) const {
    return page >= 0 && static_cast<std::size_t>(page) < pages_.size() &&
           pages_[static_cast<std::size_t>(page)];
  }
  void MapPage(std::size_t page);

  struct PageDeleter {
    void operator()(unsigned char* page) const;
  };
  // Fresh pages are zeroed: every slot reads as an empty row.
  std::vector<std::unique_ptr<unsigned char[], PageDeleter>> pages_;
  std::int64_t stored_end_ = 0;
};

} // namespace merge
