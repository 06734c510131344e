#pragma once
// Errors of the program: every failure is an exception carrying the text the
// error box shows; file errors also carry their error number.

#include <stdexcept>
#include <string>

namespace platform {

// Any failure that ends a handler and is shown to the user as it stands.
class Error : public std::runtime_error {
public:
  // `file` names the file (or directory) the failure concerns, if any; a
  // relative name is taken against the current directory now.
  explicit Error(const std::string& message, const std::string& file = {});
  // The full name of that file (file system bytes); empty when none.
  const std::string& file() const { return file_; }

private:
  std::string file_;
};

// Error numbers of the file layer. 2 to 5 are the operating system's numbers
// for those conditions; 100, 101 and 106 are the text layer's own.
enum FileErrorNumber : int {
  kFileNotFound = 2,
  kPathNotFound = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kSharingViolation = 32,
  kReadBeyondEnd = 100,
  kDiskFull = 101,
  kInvalidNumericInput = 106,
};

// "File not found", "Invalid filename", ..., else "I/O error %d".
std::string FileErrorMessage(int number);

class FileError : public Error {
public:
  // `system_error` is the errno value behind it, for callers that word the
  // failure their own way; 0 when none. `file` as for Error.
  explicit FileError(int number, int system_error = 0, const std::string& file = {});
  // A failure of the operating system that is none of the mapped
  // conditions: it keeps the system's own number and always reads "I/O error
  // N", also where N happens to equal one of the table's numbers (EIO is 5,
  // ENETDOWN is 100 on Linux).
  static FileError OtherSystemError(int err, const std::string& file = {});
  int number() const { return number_; }
  int system_error() const { return system_error_; }

private:
  FileError(int number, int system_error, const std::string& file, const std::string& message);
  int number_;
  int system_error_;
};

// Maps an errno value to the file layer's error number. `path` tells ENOENT
// apart: 2 when the file's directory exists, else 3. Only ENOENT, ENOTDIR,
// ENAMETOOLONG, EMFILE, ENFILE, EACCES, EPERM, EISDIR and EROFS are mapped;
// every other errno is returned as it is.
int FileErrorNumberFromErrno(int err, const std::string& path);
// Whether FileErrorNumberFromErrno maps `err` to a number of the table.
bool IsMappedErrno(int err);
// The error the file layer raises for `err`.
FileError FileErrorFromErrno(int err, const std::string& path);

[[noreturn]] void ThrowFileErrorFromErrno(int err, const std::string& path);

} // namespace platform
