#include "platform/errors.h"

namespace platform {

// The system's own error numbers are the table's: 2 to 5 pick their
// messages and every other number keeps itself ("I/O error 32" for a file
// another program holds, "I/O error 112" for a full disk).
int FileErrorNumberFromErrno(int err, const std::string&) {
  return err;
}

bool IsMappedErrno(int err) {
  return err >= kFileNotFound && err <= kAccessDenied;
}

} // namespace platform
