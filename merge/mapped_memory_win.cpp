#include "merge/mapped_memory.h"

#include <cstdint>
#include <new>
#include <windows.h>

namespace merge {

// VirtualAlloc starts every reservation on a 64 KiB boundary; a larger
// alignment is had by reserving more and committing the aligned part.
void* MapMemory(std::size_t size, std::size_t alignment) {
  size = RoundToPage(size);
  if (alignment <= 65536) {
    void* p = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (p == nullptr)
      throw std::bad_alloc();
    return p;
  }
  for (int attempt = 0; attempt < 8; ++attempt) {
    void* wide = ::VirtualAlloc(nullptr, size + alignment, MEM_RESERVE, PAGE_NOACCESS);
    if (wide == nullptr)
      throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(wide);
    const std::uintptr_t aligned = (start + alignment - 1) & ~(std::uintptr_t{alignment} - 1);
    // A reservation is given back whole only: free it and take the aligned
    // part at once, which another thread may have taken meanwhile.
    ::VirtualFree(wide, 0, MEM_RELEASE);
    void* p = ::VirtualAlloc(reinterpret_cast<void*>(aligned), size, MEM_RESERVE | MEM_COMMIT,
                             PAGE_READWRITE);
    if (p != nullptr)
      return p;
  }
  throw std::bad_alloc();
}

void UnmapMemory(void* memory, std::size_t) {
  ::VirtualFree(memory, 0, MEM_RELEASE);
}

} // namespace merge
