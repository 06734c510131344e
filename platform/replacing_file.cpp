#include "platform/replacing_file.h"

#include "platform/directory.h"
#include "platform/file.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

[[noreturn]] void Fail(ReplaceFailure::Stage stage, int error) {
  throw ReplaceFailure{stage, error};
}

std::string BareName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A symbolic link is replaced through the file it names, so that the link
// itself survives; a dangling link is replaced as it stands.
std::string ResolveLink(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
    return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr)
    return path;
  return resolved;
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

int OpenForLock(const std::string& path) {
  for (int flags : {O_RDONLY, O_WRONLY}) {
    int fd;
    do {
      fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 || errno != EACCES)
      return fd;
  }
  return -1;
}

} // namespace

ReplacingFile::ReplacingFile(const std::string& path) : target_(ResolveLink(path)) {
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode))
      Fail(ReplaceFailure::kCreate, EISDIR);
    // Devices, pipes and sockets are not files to be replaced by renaming.
    if (!S_ISREG(st.st_mode))
      Fail(ReplaceFailure::kCreate, EACCES);
    // The mode bits decide read-only, also for root.
    if ((st.st_mode & kAnyWrite) == 0)
      Fail(ReplaceFailure::kCreate, EACCES);
    if (::access(target_.c_str(), W_OK) != 0)
      Fail(ReplaceFailure::kCreate, errno);
    target_fd_ = OpenForLock(target_);
    if (target_fd_ < 0)
      Fail(ReplaceFailure::kCreate, errno);
    if (!platform::TryLock(target_fd_, true)) {
      Discard();
      Fail(ReplaceFailure::kLocked, EWOULDBLOCK);
    }
    mode_ = st.st_mode & 07777;
    owner_ = st.st_uid;
    group_ = st.st_gid;
    replace_owner_ = ::geteuid() == 0 && (st.st_uid != 0 || st.st_gid != ::getegid());
  } else if (errno == ENOENT) {
    mode_ = NewFileMode();
  } else {
    Fail(ReplaceFailure::kCreate, errno);
  }

  const std::string directory = DirectoryOf(target_);
  struct stat dir_st {};
  if (::stat(directory.c_str(), &dir_st) == 0 && S_ISDIR(dir_st.st_mode) &&
      (dir_st.st_mode & kAnyWrite) == 0) {
    Discard();
    Fail(ReplaceFailure::kCreate, EACCES);
  }

  // A hidden name that no "*.csv" mask lists; kept short enough for any
  // file system however long the target's name is.
  temp_path_ = (directory == "/" ? "/" : directory + "/") + "." + BareName(target_).substr(0, 200) +
               ".XXXXXX";
  temp_fd_ = ::mkostemp(temp_path_.data(), O_CLOEXEC);
  if (temp_fd_ < 0) {
    const int error = errno;
    temp_path_.clear();
    Discard();
    Fail(ReplaceFailure::kCreate, error);
  }
  const int flags = ::fcntl(temp_fd_, F_GETFL);
  direct_ = flags >= 0 && ::fcntl(temp_fd_, F_SETFL, flags | O_DIRECT) == 0;
}

void ReplacingFile::StopDirect() {
  const int flags = ::fcntl(temp_fd_, F_GETFL);
  if (flags >= 0)
    ::fcntl(temp_fd_, F_SETFL, flags & ~O_DIRECT);
  direct_ = false;
}

ReplacingFile::~ReplacingFile() {
  Discard();
}

void ReplacingFile::Discard() {
  if (temp_fd_ >= 0) {
    ::close(temp_fd_);
    temp_fd_ = -1;
  }
  if (!temp_path_.empty()) {
    ::unlink(temp_path_.c_str());
    temp_path_.clear();
  }
  if (target_fd_ >= 0) {
    ::close(target_fd_); // releases the lock
    target_fd_ = -1;
  }
}

void ReplacingFile::Write(const char* data, std::size_t size) {
  const off_t start = written_;
  while (size > 0) {
    if (direct_ && (reinterpret_cast<std::uintptr_t>(data) % kDirectAlignment != 0 ||
                    size % kDirectAlignment != 0))
      StopDirect();
    const ssize_t n = ::write(temp_fd_, data, size);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      if (errno == EINVAL && direct_) { // the file system will not write past its cache
        StopDirect();
        continue;
      }
      Fail(ReplaceFailure::kWrite, errno);
    }
    if (n == 0)
      Fail(ReplaceFailure::kWrite, ENOSPC);
    data += n;
    size -= static_cast<std::size_t>(n);
    written_ += n;
  }
  // Starts putting cached bytes on disk now, so that the flush before the
  // rename has little left to wait for.
  if (!direct_)
    ::sync_file_range(temp_fd_, start, written_ - start, SYNC_FILE_RANGE_WRITE);
}

void ReplacingFile::Commit() {
  ::fchmod(temp_fd_, mode_);
  if (replace_owner_ && ::fchown(temp_fd_, owner_, group_) != 0)
    ::fchmod(temp_fd_, mode_ & 0777); // no set-id bits for another owner
  if (::fdatasync(temp_fd_) != 0)
    Fail(ReplaceFailure::kWrite, errno);
  const int fd = temp_fd_;
  temp_fd_ = -1;
  if (::close(fd) != 0)
    Fail(ReplaceFailure::kWrite, errno);
  if (::rename(temp_path_.c_str(), target_.c_str()) != 0)
    Fail(ReplaceFailure::kWrite, errno);
  temp_path_.clear();
  // Makes the rename itself durable; a failure here changes nothing visible.
  const int dir_fd = ::open(DirectoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    ::fsync(dir_fd);
    ::close(dir_fd);
  }
  Discard();
}

} // namespace platform
