#include "merge/row_directory.h"

#include "merge/mapped_memory.h"

#include <algorithm>

namespace merge {

namespace {

constexpr std::size_t kPageBytes = reach::kPackedBytes * RowDirectory::kRowsPerPage;

} // namespace

void RowDirectory::PageDeleter::operator()(unsigned char* page) const {
  UnmapMemory(page, kPageBytes);
}

void RowDirectory::Reserve(std::int32_t row) {
  const auto page = static_cast<std::size_t>(row >> kPageBits);
  if (!Mapped(static_cast<std::int64_t>(page)))
    MapPage(page);
  if (row >= stored_end_)
    stored_end_ = std::int64_t{row} + 1;
}

void RowDirectory::MapPage(std::size_t page) {
  if (page >= pages_.size())
    pages_.resize(page + 1);
  pages_[page].reset(static_cast<unsigned char*>(MapMemory(kPageBytes)));
}

void RowDirectory::PrepareMove(std::int32_t from, std::int32_t to) {
  const std::int64_t first = std::min(from, to) >> kPageBits;
  const std::int64_t last = std::max(from, to) >> kPageBits;
  // Shifting by one row brings rows only from a neighbouring page; the moved
  // row itself lands on the page of `to`.
  std::vector<std::size_t> wanted;
  for (std::int64_t page = first; page <= last; ++page) {
    const bool lands = page == (to >> kPageBits) && static_cast<bool>(Get(from));
    if (!Mapped(page) && (lands || Mapped(page - 1) || Mapped(page + 1)))
      wanted.push_back(static_cast<std::size_t>(page));
  }
  for (const std::size_t page : wanted)
    MapPage(page);
}

void RowDirectory::Clear() {
  pages_.clear();
  stored_end_ = 0;
}

std::size_t RowDirectory::MemoryUsed() const {
  std::size_t bytes = 0;
  for (const auto& page : pages_)
    if (page)
      bytes += kPageBytes;
  return bytes;
}

} // namespace merge
