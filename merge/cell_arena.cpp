#include "merge/cell_arena.h"

#include <new>
#include <sys/mman.h>
#include <system_error>

namespace merge {

namespace {

// Tables smaller than this never pay for a block prepared ahead.
constexpr std::size_t kPrepareAheadFrom = 4 * CellArena::kBlockSize;

std::size_t RoundToPage(std::size_t size) {
  return (size + 4095) & ~std::size_t{4095};
}

} // namespace

unsigned char* CellArena::MapBlock(std::size_t size) {
  size = RoundToPage(size);
  void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED)
    throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  ::madvise(p, size, MADV_HUGEPAGE);
#endif
  return static_cast<unsigned char*>(p);
}

unsigned char* CellArena::MapTouchedBlock(std::size_t size) {
  unsigned char* block = MapBlock(size);
  for (std::size_t i = 0; i < size; i += 4096)
    static_cast<volatile unsigned char*>(block)[i] = 0;
  return block;
}

unsigned char* CellArena::Keep(unsigned char* block, std::size_t size) {
  size = RoundToPage(size);
  try {
    blocks_.push_back({block, size});
  } catch (...) {
    ::munmap(block, size);
    throw;
  }
  reserved_ += size;
  return block;
}

unsigned char* CellArena::NextBlock() {
  unsigned char* block = spare_.valid() ? spare_.get() : MapBlock(kBlockSize);
  Keep(block, kBlockSize);
  if (reserved_ >= kPrepareAheadFrom) {
    try {
      spare_ = std::async(std::launch::async, [] { return MapTouchedBlock(kBlockSize); });
    } catch (const std::system_error&) {
      // No thread to be had: the next block is mapped when needed.
    }
  }
  return block;
}

void CellArena::Release() {
  if (spare_.valid()) {
    try {
      ::munmap(spare_.get(), kBlockSize);
    } catch (const std::bad_alloc&) {
    }
  }
  for (const Block& b : blocks_)
    ::munmap(b.data, b.size);
  blocks_.clear();
  next_ = nullptr;
  left_ = 0;
  used_ = 0;
  reserved_ = 0;
}

} // namespace merge
