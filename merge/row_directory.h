#pragma once
// Where each row's chain starts: pages of row slots, each page mapped on the
// first write into it, from memory advised for huge pages, so that a table of
// millions of rows finds any row in two steps and an empty stretch of rows
// costs nothing.

#include "merge/row_codec.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace merge {

class RowDirectory {
public:
  static constexpr int kPageBits = 18; // 2 MiB of slots: one huge page
  static constexpr std::int64_t kRowsPerPage = std::int64_t{1} << kPageBits;

  // The stored row; empty when nothing is stored.
  codec::RowRef Get(std::int32_t row) const {
    const auto page = static_cast<std::size_t>(row >> kPageBits);
    if (page >= pages_.size() || !pages_[page])
      return {};
    return pages_[page][row & (kRowsPerPage - 1)];
  }
  // Sets the stored row; an empty one empties it (without mapping a page
  // for that).
  void Set(std::int32_t row, codec::RowRef stored) {
    if (codec::RowRef* slot = Slot(row, static_cast<bool>(stored)))
      *slot = stored;
  }
  // The row's slot; null when its page is not mapped and `create` is false.
  codec::RowRef* Slot(std::int32_t row, bool create);
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
  bool Mapped(std::int64_t page) const {
    return page >= 0 && static_cast<std::size_t>(page) < pages_.size() &&
           pages_[static_cast<std::size_t>(page)];
  }
  void MapPage(std::size_t page);

  struct PageDeleter {
    void operator()(codec::RowRef* page) const;
  };
  // Fresh pages are zeroed: every slot reads as an empty row.
  std::vector<std::unique_ptr<codec::RowRef[], PageDeleter>> pages_;
  std::int64_t stored_end_ = 0;
};

} // namespace merge
