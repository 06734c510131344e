#include "platform/process_start.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

// A standard descriptor closed by whoever started the program would be
// handed to the next file opened (a source, Qt's own), and "standard
// output" would then be written into it: each closed one is held by
// /dev/null opened for reading only, where writing fails (EBADF).
void SecureProcessStart() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
      continue;
    const int held = ::open("/dev/null", O_RDONLY | O_NOCTTY);
    if (held >= 0 && held != fd) { // not the lowest free number: moved there
      ::dup2(held, fd);
      ::close(held);
    }
  }
}

std::vector<std::string> ProgramArguments(int argc, char* argv[]) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

void AttachToParentConsole() {}

bool StandardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

std::string PluginDirectory() {
  return {};
}

} // namespace platform
