#include "app/thread_stacks.h"

namespace app {

// A Windows thread reserves 1 MiB of stack by default: small already.
void UseSmallThreadStacks() {}

} // namespace app
