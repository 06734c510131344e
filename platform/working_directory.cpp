#include "platform/working_directory.h"

#include "platform/directory.h"
#include "platform/errors.h"

namespace platform {

std::string WorkingDirectory::Path() {
  return CurrentDirectory();
}

void WorkingDirectory::Enter(const std::string& path) {
  EnterDirectory(path);
}

std::string WorkingDirectory::EnterToRead(const std::string& path, const std::string& if_gone,
                                          const std::function<void(const std::string&)>& read) {
  // The directory the process is in may have been removed meanwhile; that
  // must not keep it from leaving.
  std::string before = if_gone;
  try {
    before = CurrentDirectory();
  } catch (const Error&) {
  }
  EnterDirectory(path); // throws, leaving everything as it was
  try {
    const std::string now = CurrentDirectory();
    read(now);
    return now;
  } catch (...) {
    try {
      EnterDirectory(before);
    } catch (const Error&) {
    }
    throw;
  }
}

std::string WorkingDirectory::Resolve(const std::string& directory) {
  const std::string here = CurrentDirectory();
  EnterDirectory(directory);
  const std::string entered = CurrentDirectory();
  EnterDirectory(here);
  return entered;
}

} // namespace platform
