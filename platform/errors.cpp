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

FileError::FileError(int number, int system_error, const std::string& message)
    : Error(message), number_(number), system_error_(system_error) {}

FileError FileError::OtherSystemError(int err) {
  return FileError(err, err, "I/O error " + std::to_string(err));
}

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

FileError FileErrorFromErrno(int err, const std::string& path) {
  if (!IsMappedErrno(err))
    return FileError::OtherSystemError(err);
  return FileError(FileErrorNumberFromErrno(err, path), err);
}

void ThrowFileErrorFromErrno(int err, const std::string& path) {
  throw FileErrorFromErrno(err, path);
}

} // namespace platform
