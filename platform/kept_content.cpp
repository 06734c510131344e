#include "platform/kept_content.h"

#include "platform/directory.h"
#include "platform/errors.h"
#include "platform/file.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char kPrefix[] = "kleitab-save-";
constexpr const char kTargetSuffix[] = ".target";
constexpr std::size_t kNameSize = sizeof kPrefix - 1 + 6;

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t put = 0;
  while (put < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + put, bytes.size() - put);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    put += static_cast<std::size_t>(n);
  }
  return true;
}

std::string ReadSmallFile(const std::string& path) {
  std::string bytes;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0)
    return bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) {
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
      bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return bytes;
}

} // namespace

std::string TemporaryFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  struct stat st {};
  if (tmpdir != nullptr && tmpdir[0] == '/' && ::stat(tmpdir, &st) == 0 && S_ISDIR(st.st_mode))
    return tmpdir;
  return "/tmp";
}

int CreateKeptContent(std::string& path) {
  std::string name = JoinPath(TemporaryFolder(), std::string(kPrefix) + "XXXXXX");
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0)
    return -1;
  path = std::move(name);
  // Held until closed: LeftContents leaves a save under way alone.
  TryLock(fd, true);
  return fd;
}

int MarkKeptContentComplete(int fd, const std::string& path, const std::string& target) {
  if (::fdatasync(fd) != 0)
    return errno;
  std::string full = target;
  if (full.empty() || full.front() != '/') {
    try {
      full = JoinPath(CurrentDirectory(), target);
    } catch (const Error&) { // named as given
    }
  }
  const int name_fd =
      ::open((path + kTargetSuffix).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (name_fd < 0)
    return errno;
  const bool written = WriteAll(name_fd, full) && ::fdatasync(name_fd) == 0;
  const int error = errno;
  ::close(name_fd);
  return written ? 0 : error;
}

void RemoveKeptContent(const std::string& path) {
  // The target's name goes first: a content without it is one the target
  // does not need.
  ::unlink((path + kTargetSuffix).c_str());
  ::unlink(path.c_str());
}

std::vector<LeftContent> LeftContents() {
  std::vector<LeftContent> left;
  const std::string folder = TemporaryFolder();
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr)
    return left;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() == kNameSize && name.compare(0, sizeof kPrefix - 1, kPrefix) == 0)
      names.push_back(name);
  }
  ::closedir(dir);
  SortNamesForDisplay(names);
  for (const std::string& name : names) {
    const std::string content = JoinPath(folder, name);
    const int fd = ::open(content.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
      continue;
    struct stat st {};
    const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
    if (ours && TryLock(fd, true)) {
      const std::string target = ReadSmallFile(content + kTargetSuffix);
      if (!target.empty())
        left.push_back({content, target});
      else
        ::unlink(content.c_str()); // the save died before the target was touched
    }
    ::close(fd);
  }
  return left;
}

std::string LeftContentMessage(const LeftContent& left) {
  return "Сохранение в файл " + left.target +
         " было прервано, и файл может быть записан не полностью. Его новое содержимое "
         "целиком сохранено в " +
         left.content + ".";
}

} // namespace platform
