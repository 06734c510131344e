#include "merge/mapped_memory.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace merge {

void* MapMemory(std::size_t size, std::size_t alignment) {
  size = RoundToPage(size);
  const std::size_t extra = alignment > kMemoryPage ? alignment : 0;
  void* p =
      ::mmap(nullptr, size + extra, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED)
    throw std::bad_alloc();
  auto start = reinterpret_cast<std::uintptr_t>(p);
  if (extra > 0) {
    const std::uintptr_t aligned = (start + alignment - 1) & ~(std::uintptr_t{alignment} - 1);
    if (aligned > start)
      ::munmap(p, aligned - start);
    if (aligned + size < start + size + extra)
      ::munmap(reinterpret_cast<void*>(aligned + size), start + extra - aligned);
    start = aligned;
  }
#ifdef MADV_HUGEPAGE
  ::madvise(reinterpret_cast<void*>(start), size, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<void*>(start);
}

void UnmapMemory(void* memory, std::size_t size) {
  ::munmap(memory, RoundToPage(size));
}

} // namespace merge
