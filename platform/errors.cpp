#include "platform/errors.h"

#include "platform/directory.h"

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

Error::Error(const std::string& message, const std::string& file)
    : std::runtime_error(message), file_(AbsoluteName(file)) {}

FileError::FileError(int number, int system_error, const std::string& file)
    : Error(FileErrorMessage(number), file), number_(number), system_error_(system_error) {}

FileError::FileError(int number, int system_error, const std::string& file,
                     const std::string& message)
    : Error(message, file), number_(number), system_error_(system_error) {}

FileError FileError::OtherSystemError(int err, const std::string& file) {
  return FileError(err, err, file, "I/O error " + std::to_string(err));
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
