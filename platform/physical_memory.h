#pragma once
// The machine's physical memory, for budgets that must stay well inside it.

#include <cstdint>

namespace platform {

// Bytes of physical memory; a guess of 4 GiB when the system does not say.
std::uint64_t PhysicalMemoryBytes();

} // namespace platform
