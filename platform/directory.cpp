#include "platform/directory.h"

#include "platform/errors.h"
#include "platform/long_path.h"

#include <QFile>
#include <QStorageInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool EndsWithCsv(const char* name, std::size_t length) {
  return length >= 4 && ::strcasecmp(name + length - 4, ".csv") == 0;
}

enum class EntryKind { kFile, kDirectory, kOther };

EntryKind KindOf(const std::string& dir, const dirent* entry) {
  switch (entry->d_type) {
  case DT_REG:
    return EntryKind::kFile;
  case DT_DIR:
    return EntryKind::kDirectory;
  case DT_LNK:
  case DT_UNKNOWN: {
    // A link counts as what it points to; a dangling link or loop as neither.
    struct stat st {};
    if (StatAnyLength(JoinPath(dir, entry->d_name), &st) != 0)
      return EntryKind::kOther;
    if (S_ISDIR(st.st_mode))
      return EntryKind::kDirectory;
    return S_ISREG(st.st_mode) ? EntryKind::kFile : EntryKind::kOther;
  }
  default:
    return EntryKind::kOther;
  }
}

template <typename Keep> std::vector<std::string> ListEntries(const std::string& dir, Keep keep) {
  const int fd = OpenAnyLength(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::unique_ptr<DIR, int (*)(DIR*)> handle(fd >= 0 ? ::fdopendir(fd) : nullptr, ::closedir);
  if (!handle) {
    const int error = errno;
    if (fd >= 0)
      ::close(fd);
    ThrowFileErrorFromErrno(error, dir);
  }
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = ::readdir(handle.get())) {
    if (entry->d_name[0] != '.' && keep(entry))
      names.emplace_back(entry->d_name);
    errno = 0;
  }
  if (errno != 0)
    ThrowFileErrorFromErrno(errno, dir);
  SortNamesForDisplay(names);
  return names;
}

// Pseudo and virtual file systems the user never keeps files on.
bool IsPseudoFileSystem(const QByteArray& type, const QString& root) {
  static const char* const kTypes[] = {
      "proc",       "sysfs",     "devpts",  "devtmpfs", "cgroup",      "cgroup2",
      "securityfs", "pstore",    "debugfs", "tracefs",  "configfs",    "fusectl",
      "mqueue",     "hugetlbfs", "bpf",     "autofs",   "binfmt_misc", "efivarfs",
      "rpc_pipefs", "nsfs",      "ramfs",   "squashfs", "fuse.portal", "fuse.gvfsd-fuse"};
  for (const char* t : kTypes)
    if (type == t)
      return true;
  if (root.startsWith(QLatin1String("/run/media/"))) // where some desktops mount USB sticks
    return false;
  for (const char* prefix : {"/proc", "/sys", "/dev", "/run", "/snap", "/boot/efi"})
    if (root == prefix || root.startsWith(QString(prefix) + "/"))
      return true;
  return false;
}

} // namespace

std::string CurrentDirectory() {
  std::string buffer(4096, '\0');
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()))
      return buffer.c_str();
    if (errno != ERANGE) { // no file to name: its full name would need this very call
      const int err = errno;
      throw IsMappedErrno(err) ? FileError(FileErrorNumberFromErrno(err, "."), err)
                               : FileError::OtherSystemError(err);
    }
    buffer.resize(buffer.size() * 2);
  }
}

void EnterDirectory(const std::string& path) {
  if (ChangeDirectoryAnyLength(path) != 0)
    ThrowFileErrorFromErrno(errno, path);
}

std::string AbsoluteName(const std::string& name) {
  if (name.empty() || name.front() == '/')
    return name;
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr)
    return name;
  return JoinPath(buffer, name);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return StatAnyLength(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsAbsolutePath(const std::string& path) {
  return !path.empty() && path.front() == '/';
}

std::size_t BareNameStart(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

std::vector<std::string> PathFromRoot(const std::string& dir) {
  std::vector<std::string> steps{"/"};
  std::size_t start = 1;
  while (start < dir.size()) {
    std::size_t slash = dir.find('/', start);
    if (slash == std::string::npos)
      slash = dir.size();
    if (slash > start)
      steps.push_back(dir.substr(0, slash));
    start = slash + 1;
  }
  return steps;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (!dir.empty() && dir.back() == '/')
    return dir + name;
  return dir + "/" + name;
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

std::vector<std::string> ListCsvFiles(const std::string& dir) {
  return ListEntries(dir, [&](const dirent* e) {
    return EndsWithCsv(e->d_name, std::char_traits<char>::length(e->d_name)) &&
           KindOf(dir, e) == EntryKind::kFile;
  });
}

std::vector<std::string> ListSubdirectories(const std::string& dir) {
  return ListEntries(dir, [&](const dirent* e) { return KindOf(dir, e) == EntryKind::kDirectory; });
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || StatAnyLength(path, &st) != 0)
    return std::nullopt;
  return FileIdentity{static_cast<unsigned long long>(st.st_dev),
                      static_cast<unsigned long long>(st.st_ino)};
}

std::vector<Volume> MountedVolumes() {
  std::vector<Volume> volumes;
  for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
    if (!info.isValid() || !info.isReady() ||
        IsPseudoFileSystem(info.fileSystemType(), info.rootPath()))
      continue;
    // A single file bound into place (containers do so with /etc/hosts) is
    // no volume one could browse.
    const std::string root = QFile::encodeName(info.rootPath()).toStdString();
    struct stat st {};
    if (::stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
      continue;
    QString name = info.name();
    if (name.isEmpty())
      name = QString::fromLocal8Bit(info.device());
    volumes.push_back({root, name.toStdString(), root + " [" + name.toStdString() + "]"});
  }
  std::sort(volumes.begin(), volumes.end(),
            [](const Volume& a, const Volume& b) { return a.root < b.root; });
  volumes.erase(std::unique(volumes.begin(), volumes.end(),
                            [](const Volume& a, const Volume& b) { return a.root == b.root; }),
                volumes.end());
  return volumes;
}

std::string VolumeRootOf(const std::string& path) {
  const QStorageInfo info(QFile::decodeName(QByteArray::fromStdString(path)));
  if (!info.isValid())
    return "/";
  return QFile::encodeName(info.rootPath()).toStdString();
}

} // namespace platform
