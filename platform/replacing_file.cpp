#include "platform/replacing_file.h"

#include "platform/directory.h"
#include "platform/file.h"
#include "platform/kept_content.h"
#include "platform/long_path.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <initializer_list>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
  if (LstatAnyLength(path, &st) != 0 || !S_ISLNK(st.st_mode))
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

int OpenForLock(const std::string& path, bool for_writing) {
  const std::initializer_list<int> read_first = {O_RDONLY, O_WRONLY};
  const std::initializer_list<int> write_only = {O_WRONLY};
  for (int flags : for_writing ? write_only : read_first) {
    const int fd = OpenAnyLength(path, flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0 || errno != EACCES)
      return fd;
  }
  return -1;
}

// Whether this process may give a file of its own the group `gid`.
bool MayGiveGroup(gid_t gid) {
  if (gid == ::getegid())
    return true;
  const int count = ::getgroups(0, nullptr);
  if (count <= 0)
    return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = ::getgroups(count, groups.data());
  return std::find(groups.begin(), groups.begin() + std::max(got, 0), gid) !=
         groups.begin() + std::max(got, 0);
}

constexpr const char* kTempMark = ".kleitab-";

std::string TempPrefix(const std::string& directory, const std::string& target) {
  // A hidden name that no "*.csv" mask lists; kept short enough for any
  // file system however long the target's name is.
  return (directory == "/" ? "/" : directory + "/") + "." + BareName(target).substr(0, 200) +
         kTempMark;
}

// Removes the temporary files of earlier saves of this target that were
// killed before they finished: only names of our own pattern, only regular
// files of this user, only when no process holds them (a save under way
// keeps its own locked).
void RemoveStaleTemporaries(const std::string& directory, const std::string& target) {
  const std::string prefix = "." + BareName(target).substr(0, 200) + kTempMark;
  const int listed = OpenAnyLength(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
  if (dir == nullptr) {
    if (listed >= 0)
      ::close(listed);
    return;
  }
  const int dir_fd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
      continue;
    const int fd = ::openat(dir_fd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
      continue;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        TryLock(fd, true))
      ::unlinkat(dir_fd, name.c_str(), 0);
    ::close(fd);
  }
  ::closedir(dir);
}

// Six letters that make a temporary name of this process unlikely to be taken.
std::string RandomSuffix(int attempt) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static unsigned seed = static_cast<unsigned>(::getpid()) * 2654435761u ^
                         static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(&seed));
  std::string suffix;
  for (int i = 0; i < 6; ++i) {
    seed = seed * 1103515245u + 12345u + static_cast<unsigned>(attempt);
    suffix.push_back(kLetters[(seed >> 16) % (sizeof kLetters - 1)]);
  }
  return suffix;
}

// Copies `size` bytes from the start of one file over the start of another.
void CopyInto(int from_fd, int to_fd, off_t size) {
  off_t from = 0;
  off_t to = 0;
  // Between two file systems the kernel's copy fails at once (EXDEV): it is
  // tried once, then the copy goes through a buffer.
  bool kernel_copy = true;
  std::vector<char> buffer;
  while (from < size) {
    if (kernel_copy) {
      const ssize_t n =
          ::copy_file_range(from_fd, &from, to_fd, &to, static_cast<std::size_t>(size - from), 0);
      if (n > 0 || (n < 0 && errno == EINTR))
        continue;
      if (n == 0 || !(errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP))
        Fail(ReplaceFailure::kWrite, n < 0 ? errno : EIO);
      kernel_copy = false;
      buffer.resize(std::size_t{1} << 20);
    }
    const ssize_t got = ::pread(from_fd, buffer.data(), buffer.size(), from);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      Fail(ReplaceFailure::kWrite, got < 0 ? errno : EIO);
    ssize_t put = 0;
    while (put < got) {
      const ssize_t w =
          ::pwrite(to_fd, buffer.data() + put, static_cast<std::size_t>(got - put), to + put);
      if (w < 0 && errno == EINTR)
        continue;
      if (w <= 0)
        Fail(ReplaceFailure::kWrite, w < 0 ? errno : ENOSPC);
      put += w;
    }
    from += got;
    to += got;
  }
}

bool IsFullDisk(int error) {
  return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

// A memory-backed file holding the first `size` bytes of `fd`, its offset at
// their end; -1 when none can be made.
int MoveIntoMemory(int fd, off_t size) {
  const int memory = ::memfd_create("kleitab-save", MFD_CLOEXEC);
  if (memory < 0)
    return -1;
  try {
    CopyInto(fd, memory, size);
  } catch (const ReplaceFailure&) {
    ::close(memory);
    return -1;
  }
  if (::lseek(memory, size, SEEK_SET) != size) {
    ::close(memory);
    return -1;
  }
  return memory;
}

bool IsPermissionError(int error) {
  return error == EACCES || error == EPERM;
}

} // namespace

ReplacingFile::ReplacingFile(const std::string& path) : target_(ResolveLink(path)) {
  const std::string directory = DirectoryOf(target_);
  struct stat dir_st {};
  const bool dir_known = StatAnyLength(directory, &dir_st) == 0 && S_ISDIR(dir_st.st_mode);
  // The mode bits decide, also for root, whether a new file may be made.
  const bool dir_closed = dir_known && (dir_st.st_mode & kAnyWrite) == 0;

  struct stat st {};
  bool exists = false;
  if (StatAnyLength(target_, &st) == 0) {
    exists = true;
    if (S_ISDIR(st.st_mode))
      Fail(ReplaceFailure::kCreate, EISDIR);
    // Devices, pipes and sockets are not files to be replaced by renaming.
    if (!S_ISREG(st.st_mode))
      Fail(ReplaceFailure::kCreate, EACCES);
    // The mode bits decide read-only, also for root.
    if ((st.st_mode & kAnyWrite) == 0)
      Fail(ReplaceFailure::kCreate, EACCES);
    if (AccessAnyLength(target_, W_OK) != 0)
      Fail(ReplaceFailure::kCreate, errno);
    mode_ = st.st_mode & 07777;
    owner_ = st.st_uid;
    group_ = st.st_gid;
    const bool root = ::geteuid() == 0;
    set_owner_ = true;
    // A file this user may not give its owner and group (another user's,
    // which a sticky directory would not even let us rename over, or a group
    // this user is not in) keeps them only when written in place; so does
    // one whose directory takes no new file.
    const bool keeps_identity = root || (st.st_uid == ::geteuid() && MayGiveGroup(st.st_gid));
    in_place_ = !keeps_identity || dir_closed;
    target_fd_ = OpenForLock(target_, in_place_);
    if (target_fd_ < 0)
      Fail(ReplaceFailure::kCreate, errno);
    if (!TryLock(target_fd_, true)) {
      Discard();
      Fail(ReplaceFailure::kLocked, EWOULDBLOCK);
    }
  } else if (errno == ENOENT) {
    mode_ = NewFileMode();
    if (dir_closed)
      Fail(ReplaceFailure::kCreate, EACCES);
  } else {
    Fail(ReplaceFailure::kCreate, errno);
  }

  if (!in_place_) {
    RemoveStaleTemporaries(directory, target_);
    try {
      if (!CreateUnnamed(directory))
        CreateNamed(directory);
    } catch (const ReplaceFailure& failure) {
      // No new file beside a target that can be written: write it in place.
      if (!exists || !IsPermissionError(failure.error))
        throw;
      ::close(target_fd_);
      target_fd_ = -1;
      in_place_ = true;
      target_fd_ = OpenForLock(target_, true);
      if (target_fd_ < 0)
        Fail(ReplaceFailure::kCreate, errno);
      if (!TryLock(target_fd_, true)) {
        Discard();
        Fail(ReplaceFailure::kLocked, EWOULDBLOCK);
      }
    }
  }
  if (in_place_) {
    PrepareInPlace();
    return;
  }
  const int flags = ::fcntl(temp_fd_, F_GETFL);
  direct_ = flags >= 0 && ::fcntl(temp_fd_, F_SETFL, flags | O_DIRECT) == 0;
}

bool ReplacingFile::CreateUnnamed(const std::string& directory) {
#ifdef O_TMPFILE
  temp_fd_ = OpenAnyLength(directory, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (temp_fd_ >= 0) {
    unnamed_ = true;
    return true;
  }
  // A file system without unnamed files says so in one of these ways.
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
    const int error = errno;
    Discard();
    Fail(ReplaceFailure::kCreate, error);
  }
#else
  (void)directory;
#endif
  return false;
}

void ReplacingFile::CreateNamed(const std::string& directory) {
  // As mkostemp does, by a name of any length.
  const std::string prefix = TempPrefix(directory, target_);
  int error = EEXIST;
  for (int attempt = 0; attempt < 100 && temp_fd_ < 0 && error == EEXIST; ++attempt) {
    const std::string name = prefix + RandomSuffix(attempt);
    temp_fd_ = OpenAnyLength(name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (temp_fd_ >= 0)
      temp_path_ = name;
    else
      error = errno;
  }
  if (temp_fd_ < 0) {
    Discard();
    Fail(ReplaceFailure::kCreate, error);
  }
  // Held until the file is renamed or removed: a later save sees it in use.
  TryLock(temp_fd_, true);
}

void ReplacingFile::PrepareInPlace() {
  // The content is prepared apart from the target: in the temporary folder,
  // where it outlives a killed save, else in memory-backed file storage.
  temp_fd_ = CreateKeptContent(temp_path_);
  if (temp_fd_ >= 0)
    return;
  temp_fd_ = ::memfd_create("kleitab-save", MFD_CLOEXEC);
  if (temp_fd_ < 0) {
    const int error = errno;
    Discard();
    Fail(ReplaceFailure::kCreate, error);
  }
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
    if (in_place_) // the content kept in the temporary folder
      RemoveKeptContent(temp_path_);
    else
      UnlinkAnyLength(temp_path_);
    temp_path_.clear();
  }
  if (target_fd_ >= 0) {
    ::close(target_fd_); // releases the lock
    target_fd_ = -1;
  }
}

void ReplacingFile::Write(const char* data, std::size_t size) {
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
      const int error = errno;
      if (in_place_ && !temp_path_.empty() && IsFullDisk(error)) {
        // The temporary folder is full: the content goes on in memory, as
        // a save in place always did, only without the kept copy.
        const int memory = MoveIntoMemory(temp_fd_, written_);
        if (memory >= 0) {
          ::close(temp_fd_);
          RemoveKeptContent(temp_path_);
          temp_path_.clear();
          temp_fd_ = memory;
          continue;
        }
      }
      Fail(ReplaceFailure::kWrite, error);
    }
    if (n == 0)
      Fail(ReplaceFailure::kWrite, ENOSPC);
    data += n;
    size -= static_cast<std::size_t>(n);
    written_ += n;
  }
}

void ReplacingFile::Commit() {
  if (in_place_) {
    CommitInPlace();
    return;
  }
  ::fchmod(temp_fd_, mode_);
  if (set_owner_ && ::fchown(temp_fd_, owner_, group_) != 0)
    ::fchmod(temp_fd_, mode_ & 0777); // no set-id bits for another owner
  else if (set_owner_)
    ::fchmod(temp_fd_, mode_); // a change of owner clears set-id bits
  if (::fdatasync(temp_fd_) != 0)
    Fail(ReplaceFailure::kWrite, errno);
  if (unnamed_)
    LinkIntoPlace();
  const int fd = temp_fd_;
  temp_fd_ = -1;
  if (::close(fd) != 0)
    Fail(ReplaceFailure::kWrite, errno);
  if (RenameAnyLength(temp_path_, target_) != 0)
    Fail(ReplaceFailure::kWrite, errno);
  temp_path_.clear();
  // Makes the rename itself durable; a failure here changes nothing visible.
  const int dir_fd = OpenAnyLength(DirectoryOf(target_), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    ::fsync(dir_fd);
    ::close(dir_fd);
  }
  Discard();
}

void ReplacingFile::LinkIntoPlace() {
  // An unnamed file gets a hidden name only now, for the moment of the
  // rename; it is locked meanwhile, like a named one.
  TryLock(temp_fd_, true);
  const std::string proc = "/proc/self/fd/" + std::to_string(temp_fd_);
  const std::string prefix = TempPrefix(DirectoryOf(target_), target_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = prefix + RandomSuffix(attempt);
    if (LinkAnyLength(proc, name) == 0) {
      temp_path_ = name;
      return;
    }
    if (errno != EEXIST)
      Fail(ReplaceFailure::kWrite, errno);
  }
  Fail(ReplaceFailure::kWrite, EEXIST);
}

void ReplacingFile::CommitInPlace() {
  const off_t size = written_;
  // Room for the whole new content first: a disk too small for it fails
  // here, before a byte of the target changes.
  if (size > 0) {
    const int reserved = ::fallocate(target_fd_, FALLOC_FL_KEEP_SIZE, 0, size);
    if (reserved != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
      Fail(ReplaceFailure::kWrite, errno);
  }
  // From here on the target changes: the whole new content is named first.
  if (!temp_path_.empty()) {
    if (const int error = MarkKeptContentComplete(temp_fd_, temp_path_, target_))
      Fail(ReplaceFailure::kWrite, error);
  }
  CopyInto(temp_fd_, target_fd_, size);
  if (::ftruncate(target_fd_, size) != 0)
    Fail(ReplaceFailure::kWrite, errno);
  if (::fdatasync(target_fd_) != 0)
    Fail(ReplaceFailure::kWrite, errno);
  Discard();
}

} // namespace platform
