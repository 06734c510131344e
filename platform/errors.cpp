#include "platform/errors.h"

#include "platform/directory.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// A relative name taken against the current directory; as given when there
// is none left (getcwd directly: this runs while an error is being made).
std::string FullName(const std::string& file) {
  if (file.empty() || file.front() == '/')
    return file;
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr)
    return file;
  return JoinPath(buffer, file);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

Error::Error(const std::string& message, const std::string& file)
    : std::runtime_error(message), file_(FullName(file)) {}

FileError::FileError(int number, int system_error, const std::string& file)
    : Error(FileErrorMessage(number), file), number_(number), system_error_(system_error) {}

FileError::FileError(int number, int system_error, const std::string& file,
                     const std::string& message)
    : Error(message, file), number_(number), system_error_(system_error) {}

FileError FileError::OtherSystemError(int err, const std::string& file) {
  return FileError(err, err, file, "I/O error " + std::to_string(err));
}

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
    return FileError::OtherSystemError(err, path);
  return FileError(FileErrorNumberFromErrno(err, path), err, path);
}

void ThrowFileErrorFromErrno(int err, const std::string& path) {
  throw FileErrorFromErrno(err, path);
}

} // namespace platform
