#include "platform/process_start.h"

#include <unistd.h>

namespace platform {

void SecureProcessStart() {}

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
