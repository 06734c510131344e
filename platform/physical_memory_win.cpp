#include "platform/physical_memory.h"

#include <windows.h>

namespace platform {

std::uint64_t PhysicalMemoryBytes() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!::GlobalMemoryStatusEx(&status) || status.ullTotalPhys == 0)
    return std::uint64_t{4} << 30;
  return status.ullTotalPhys;
}

} // namespace platform
