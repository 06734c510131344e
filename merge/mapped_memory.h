#pragma once
// Anonymous memory taken straight from the system, for the table's large
// stores (arena blocks, pages of the row directory): zeroed, advised for
// huge pages, given back whole.

#include <cstddef>

namespace merge {

constexpr std::size_t kMemoryPage = 4096;

// `size` rounded up to whole pages of 4096 bytes.
inline std::size_t RoundToPage(std::size_t size) {
  return (size + kMemoryPage - 1) & ~(kMemoryPage - 1);
}

// Maps RoundToPage(size) bytes whose start is a multiple of `alignment` (a
// power of two; above 4096 the start is aligned by mapping more and giving
// the rest back). Throws std::bad_alloc.
void* MapMemory(std::size_t size, std::size_t alignment = 4096);

// Gives back memory MapMemory returned, with the size it was asked for.
void UnmapMemory(void* memory, std::size_t size);

} // namespace merge
