#pragma once
// Names of any length. The kernel refuses a name of PATH_MAX bytes or more
// (ENAMETOOLONG), yet a directory may lie deeper than that: such a name is
// reached a directory at a time, each step shorter than the limit, and the
// call is made relative to the last directory reached (openat and its kin).
// Used by the Linux implementation files of this folder only.

#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace platform {

// Where a name leads: a directory (AT_FDCWD, or one opened on the way, closed
// with this) and the rest of the name relative to it. A step that fails
// leaves dir() at -1 and its errno in error(); a call made with it then
// fails with EBADF, so check ok() where the errno matters.
class PathAt {
public:
  explicit PathAt(const std::string& path);
  ~PathAt();
  PathAt(const PathAt&) = delete;
  PathAt& operator=(const PathAt&) = delete;

  bool ok() const { return error_ == 0; }
  int error() const { return error_; }
  int dir() const { return dir_; }
  const char* name() const { return rest_.c_str(); }

private:
  int dir_;
  std::string rest_;
  int error_ = 0;
};

// open, stat (links followed) and access for names of any length; -1 with
// errno set on failure, as the calls themselves.
int OpenAnyLength(const std::string& path, int flags, mode_t mode = 0);
int StatAnyLength(const std::string& path, struct stat* st);
int LstatAnyLength(const std::string& path, struct stat* st);
int AccessAnyLength(const std::string& path, int mode);
int UnlinkAnyLength(const std::string& path);
// rename, and linkat of `from` (links followed) to the new name `to`.
int RenameAnyLength(const std::string& from, const std::string& to);
int LinkAnyLength(const std::string& from, const std::string& to);
// chdir for a name of any length.
int ChangeDirectoryAnyLength(const std::string& path);

} // namespace platform
