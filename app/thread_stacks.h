#pragma once
// Qt's painting hands large fills to helper threads it starts on demand, and
// waits for them for ever when a thread cannot be started: with the memory
// nearly all taken by the table, the 8 MiB stack a thread gets by default is
// what fails. Threads of the window's process get a small stack instead.

namespace app {

// Sets the stack size of every thread started from now on; idempotent.
void UseSmallThreadStacks();

} // namespace app
