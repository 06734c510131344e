#include "platform/errors.h"

#include "platform/directory.h"

#include <cerrno>

namespace platform {

int FileErrorNumberFromErrno(int err, const std::string& path) {
  switch (err) {
  case ENOENT:
    return IsDirectory(DirectoryOf(path)) ? kFileNotFound : kPathNotFound;
  case ENOTDIR:
  case ENAMETOOLONG:
    return kPathNotFound;
  case EMFILE:
  case ENFILE:
    return kTooManyOpenFiles;
  case EACCES:
  case EPERM:
  case EISDIR:
  case EROFS:
    return kAccessDenied;
  default:
    return err;
  }
}

bool IsMappedErrno(int err) {
  switch (err) {
  case ENOENT:
  case ENOTDIR:
  case ENAMETOOLONG:
  case EMFILE:
  case ENFILE:
  case EACCES:
  case EPERM:
  case EISDIR:
  case EROFS:
    return true;
  default:
    return false;
  }
}

} // namespace platform
