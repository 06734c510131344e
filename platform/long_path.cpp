#include "platform/long_path.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

PathAt::PathAt(const std::string& path) : dir_(AT_FDCWD) {
  std::size_t pos = 0;
  while (path.size() - pos >= PATH_MAX) {
    // The longest head of what is left that ends in "/" and fits the limit.
    const std::size_t slash = path.rfind('/', pos + PATH_MAX - 2);
    if (slash == std::string::npos || slash < pos) {
      error_ = ENAMETOOLONG; // one name longer than any file system takes
      break;
    }
    if (slash == pos && pos > 0) { // a doubled "/"
      ++pos;
      continue;
    }
    const std::string head = path.substr(pos, slash - pos + 1);
    int next;
    do {
      next = ::openat(dir_, head.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    } while (next < 0 && errno == EINTR);
    const int step_error = errno;
    if (dir_ != AT_FDCWD)
      ::close(dir_);
    dir_ = next;
    if (next < 0) {
      error_ = step_error;
      break;
    }
    pos = slash + 1;
  }
  if (error_ != 0) {
    if (dir_ >= 0)
      ::close(dir_);
    dir_ = -1;
    return;
  }
  rest_ = path.substr(pos);
  if (rest_.empty())
    rest_ = "."; // the name ended in "/": the directory reached
}

PathAt::~PathAt() {
  if (dir_ >= 0)
    ::close(dir_);
}

namespace {

// Runs `call` at the place the path leads to, errno of a failed step kept.
template <typename Call> int AtPath(const std::string& path, Call call) {
  if (path.size() < PATH_MAX)
    return call(AT_FDCWD, path.c_str());
  int result = -1;
  int error = 0;
  {
    const PathAt at(path);
    if (at.ok()) {
      result = call(at.dir(), at.name());
      error = errno;
    } else {
      error = at.error();
    }
  } // closing the directory reached must not change errno
  errno = error;
  return result;
}

} // namespace

int OpenAnyLength(const std::string& path, int flags, mode_t mode) {
  return AtPath(path, [&](int dir, const char* name) {
    int fd;
    do {
      fd = ::openat(dir, name, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
  });
}

int StatAnyLength(const std::string& path, struct stat* st) {
  return AtPath(path, [&](int dir, const char* name) { return ::fstatat(dir, name, st, 0); });
}

int LstatAnyLength(const std::string& path, struct stat* st) {
  return AtPath(path, [&](int dir, const char* name) {
    return ::fstatat(dir, name, st, AT_SYMLINK_NOFOLLOW);
  });
}

int AccessAnyLength(const std::string& path, int mode) {
  return AtPath(path, [&](int dir, const char* name) { return ::faccessat(dir, name, mode, 0); });
}

int UnlinkAnyLength(const std::string& path) {
  return AtPath(path, [&](int dir, const char* name) { return ::unlinkat(dir, name, 0); });
}

int RenameAnyLength(const std::string& from, const std::string& to) {
  return AtPath(from, [&](int from_dir, const char* from_name) {
    return AtPath(to, [&](int to_dir, const char* to_name) {
      return ::renameat(from_dir, from_name, to_dir, to_name);
    });
  });
}

int LinkAnyLength(const std::string& from, const std::string& to) {
  return AtPath(from, [&](int from_dir, const char* from_name) {
    return AtPath(to, [&](int to_dir, const char* to_name) {
      return ::linkat(from_dir, from_name, to_dir, to_name, AT_SYMLINK_FOLLOW);
    });
  });
}

int ChangeDirectoryAnyLength(const std::string& path) {
  if (path.size() < PATH_MAX)
    return ::chdir(path.c_str());
  const int fd = OpenAnyLength(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return -1;
  const int result = ::fchdir(fd);
  const int error = errno;
  ::close(fd);
  errno = error;
  return result;
}

} // namespace platform
