#pragma once
// A bump allocator of byte runs that never move: large blocks taken from the
// system at once, advised for huge pages (the first touch of fresh memory is
// the main cost of filling a large table), handed out without alignment and
// given back only all together.

#include <cstddef>
#include <new>
#include <sys/mman.h>
#include <vector>

namespace merge {

class CellArena {
public:
  static constexpr std::size_t kBlockSize = std::size_t{64} << 20;

  CellArena() = default;
  ~CellArena() { Release(); }
  CellArena(const CellArena&) = delete;
  CellArena& operator=(const CellArena&) = delete;

  unsigned char* Allocate(std::size_t size) {
    if (size > left_) {
      if (size > kBlockSize / 4) { // a huge run gets a block of its own
        used_ += size;
        return MapBlock(size);
      }
      next_ = MapBlock(kBlockSize);
      left_ = kBlockSize;
    }
    unsigned char* p = next_;
    next_ += size;
    left_ -= size;
    used_ += size;
    return p;
  }

  // Grows the run that ends at `end` by `size` bytes in place, when it is the
  // last run handed out and the block has room.
  bool TryExtend(const unsigned char* end, std::size_t size) {
    if (end != next_ || size > left_)
      return false;
    next_ += size;
    left_ -= size;
    used_ += size;
    return true;
  }

  // Bytes handed out so far.
  std::size_t Used() const { return used_; }
  // Bytes of the blocks taken from the system.
  std::size_t Reserved() const { return reserved_; }

  void Release() {
    for (const Block& b : blocks_)
      ::munmap(b.data, b.size);
    blocks_.clear();
    next_ = nullptr;
    left_ = 0;
    used_ = 0;
    reserved_ = 0;
  }

private:
  struct Block {
    unsigned char* data;
    std::size_t size;
  };

  unsigned char* MapBlock(std::size_t size) {
    size = (size + 4095) & ~std::size_t{4095};
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
      throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    ::madvise(p, size, MADV_HUGEPAGE);
#endif
    blocks_.push_back({static_cast<unsigned char*>(p), size});
    reserved_ += size;
    return static_cast<unsigned char*>(p);
  }

  std::vector<Block> blocks_;
  unsigned char* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t used_ = 0;
  std::size_t reserved_ = 0;
};

} // namespace merge
