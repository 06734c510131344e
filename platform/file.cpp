#include "platform/file.h"

#include "platform/errors.h"
#include "platform/long_path.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr long long kSequentialAdviceFrom = 4 << 20;

} // namespace

bool IsReadableCandidate(const std::string& path) {
  if (path.empty())
    return false;
  struct stat st {};
  if (StatAnyLength(path, &st) != 0)
    return false;
  return S_ISREG(st.st_mode);
}

std::int64_t CandidateSize(const std::string& path) {
  struct stat st {};
  if (path.empty() || StatAnyLength(path, &st) != 0 || !S_ISREG(st.st_mode))
    return -1;
  return static_cast<std::int64_t>(st.st_size);
}

PathStatus StatusOf(const std::string& path) {
  struct stat st {};
  if (StatAnyLength(path, &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR)
      return {PathStatus::kMissing, errno};
    return {PathStatus::kUnreachable, errno};
  }
  if (S_ISREG(st.st_mode))
    return {PathStatus::kRegularFile, 0};
  return {S_ISDIR(st.st_mode) ? PathStatus::kDirectory : PathStatus::kOther, 0};
}

bool TryLock(int fd, bool exclusive) {
  while (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    if (errno == EINTR)
      continue;
    return false;
  }
  return true;
}

ReadOnlyFile::ReadOnlyFile(const std::string& path, Missing missing) : path_(path) {
  // O_NONBLOCK: a FIFO without a writer would otherwise hold the open
  // forever. It is cleared again once the file is known to be regular.
  fd_ = OpenAnyLength(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd_ < 0) {
    const int error = errno;
    // Asked only when the open failed, so that a file read costs one stat.
    if (missing == Missing::kNotAvailable && !IsReadableCandidate(path))
      throw NotRegularFile();
    ThrowFileErrorFromErrno(error, path);
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw NotRegularFile();
  }
  size_hint_ = st.st_size;
  // Of the flags F_SETFL sets (append, non-blocking, direct, no access
  // time, signal-driven), the open gave only O_NONBLOCK: clearing them all
  // clears it in one call.
  ::fcntl(fd_, F_SETFL, 0);
  if (!TryLock(fd_, false)) {
    ::close(fd_);
    fd_ = -1;
    throw FileError(kSharingViolation, EWOULDBLOCK, path);
  }
#ifdef POSIX_FADV_SEQUENTIAL
  // A small file is read in one or two reads: the advice would cost more.
  if (size_hint_ >= kSequentialAdviceFrom)
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0)
    ::close(fd_);
}

std::size_t ReadOnlyFile::ReadRaw(void* buffer, std::size_t size) {
  if (at_end_)
    return 0;
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, size);
    if (n >= 0) {
      const auto got = static_cast<std::size_t>(n);
      read_ += static_cast<long long>(got);
      // A read that stops short exactly at the size the file had when it
      // was opened has reached its end: a small file then costs one read,
      // not two. Any other short read (a file that grew or shrank, or a file
      // system that returns less) is followed by another.
      at_end_ = got > 0 && got < size && read_ == size_hint_;
      return got;
    }
    if (errno != EINTR)
      ThrowFileErrorFromErrno(errno, path_);
  }
}

} // namespace platform
