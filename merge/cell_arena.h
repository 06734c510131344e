#pragma once
// A bump allocator of byte runs that never move: large blocks taken from the
// system at once, advised for huge pages, handed out without alignment and
// given back only all together.
//
// The first touch of fresh memory is the main cost of filling a large table,
// so once a table has grown past its first blocks, the next block is mapped
// and touched on a helper thread while the current one fills.

#include <cstddef>
#include <future>
#include <vector>

namespace merge {

class CellArena {
public:
  // Small enough that the block prepared ahead, touched in full and still
  // unused when a collect ends, adds little to the peak; large enough that
  // taking one costs nothing next to filling it.
  static constexpr std::size_t kBlockSize = std::size_t{16} << 20;

  CellArena() = default;
  ~CellArena() { Release(); }
  CellArena(const CellArena&) = delete;
  CellArena& operator=(const CellArena&) = delete;

  unsigned char* Allocate(std::size_t size) {
    if (size > left_) {
      if (size > kBlockSize / 4) { // a huge run gets a block of its own
        used_ += size;
        return Keep(MapBlock(size), size);
      }
      next_ = NextBlock();
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

  void Release();

private:
  struct Block {
    unsigned char* data;
    std::size_t size;
  };

  static unsigned char* MapBlock(std::size_t size);
  static unsigned char* MapTouchedBlock(std::size_t size);
  unsigned char* Keep(unsigned char* block, std::size_t size);
  unsigned char* NextBlock();

  std::vector<Block> blocks_;
  std::future<unsigned char*> spare_; // the next block, being prepared
  unsigned char* next_ = nullptr;
  std::size_t left_ = 0;
  std::size_t used_ = 0;
  std::size_t reserved_ = 0; // bytes of the blocks taken from the system
};

} // namespace merge
