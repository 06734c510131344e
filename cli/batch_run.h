#pragma once
// A run without the window: the command line's merge, start to end.

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

// Runs the command line `args` (argv[1] on) and returns the exit status: 0
// done, 1 an error (its message, as the error box words it, and the file it
// concerns written to `err`), 2 a command line that cannot be understood.
// Progress goes to `err` only when `err_is_terminal`.
int RunBatch(const std::vector<std::string>& args, std::FILE* err, bool err_is_terminal);

} // namespace cli
