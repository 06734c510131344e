#include "merge/cell_arena.h"

#include "merge/mapped_memory.h"
#include "merge/row_reach.h"

#include <cstdint>
#include <new>
#include <system_error>

namespace merge {

namespace {

// Tables smaller than this never pay for a block prepared ahead.
constexpr std::size_t kPrepareAheadFrom = 4 * CellArena::kBlockSize;

} // namespace

unsigned char* CellArena::MapBlock(std::size_t size) {
  return static_cast<unsigned char*>(MapMemory(size));
}

unsigned char* CellArena::MapTouchedBlock(std::size_t size) {
  unsigned char* block = MapBlock(size);
  for (std::size_t i = 0; i < size; i += 4096)
    static_cast<volatile unsigned char*>(block)[i] = 0;
  return block;
}

unsigned char* CellArena::Keep(unsigned char* block, std::size_t size) {
  size = RoundToPage(size);
  // The row directory tags compact rows with the top bit of a 64-bit word
  // (row_codec.h). User addresses never have it on the systems we build
  // for; a block that did could not be told from a tagged one.
  // The directory's slots reach only so far from the first block (row_reach.h).
  if ((static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(block)) + size) >> 63 ||
      !reach::Admit(block, size)) {
    UnmapMemory(block, size);
    throw std::bad_alloc();
  }
  try {
    blocks_.push_back({block, size});
  } catch (...) {
    UnmapMemory(block, size);
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
    } catch (const std::bad_alloc&) {
      // Nor the memory to start one: the block just kept is still good.
    }
  }
  return block;
}

void CellArena::Release() {
  if (spare_.valid()) {
    try {
      UnmapMemory(spare_.get(), kBlockSize);
    } catch (const std::bad_alloc&) {
    }
  }
  for (const Block& b : blocks_)
    UnmapMemory(b.data, b.size);
  blocks_.clear();
  next_ = nullptr;
  left_ = 0;
  used_ = 0;
  reserved_ = 0;
}

} // namespace merge
