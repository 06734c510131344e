#include "platform/errors.h"

#include "platform/directory.h"

#include <cerrno>
#include <sys/stat.h>

namespace platform {

std::string FileErrorMessage(int number) {
  switch (number) {
  case kFileNotFound:
    return "File not found";
  case kPathNotFound:
    return "Invalid filename";
  case kTooManyOpenFiles:
    return "Too many open files";
  case kAccessDenied:
    return "File access denied";
  case kReadBeyondEnd:
    return "Read beyond end of file";
  case kDiskFull:
    return "Disk full";
  case kInvalidNumericInput:
    return "Invalid numeric input";
  default:
    return "I/O error " + std::to_string(number);
  }
}

FileError::FileError(int number, int system_error)
    : Error(FileErrorMessage(number)), number_(number), system_error_(system_error) {}

namespace {

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

int FileErrorNumberFromErrno(int err, const std::string& path) {
  switch (err) {
  case ENOENT:
    return IsDirectory(DirectoryOf(path)) ? kFileNotFound : kPathNotFound;
  case ENOTDIR:
  case ENAMETOOLONG:
  case ELOOP: // a link loop leads nowhere
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

void ThrowFileErrorFromErrno(int err, const std::string& path) {
  throw FileError(FileErrorNumberFromErrno(err, path), err);
}

} // namespace platform
