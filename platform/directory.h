#pragma once
// Directories and volumes as the first page shows them: the process's current
// directory, entering a directory, the "*.csv" files and the subdirectories
// of a directory in the desktop's order, and the mounted volumes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The process's current directory as an absolute path ("/" only for the root).
std::string CurrentDirectory();
// Makes `path` the current directory; a path that cannot be entered throws
// its FileError and leaves the current directory as it was.
void EnterDirectory(const std::string& path);

// The entries of `dir` whose names end in ".csv" in any letter case, without
// directories and hidden files (a name beginning with "."), sorted by the
// user's locale with letter case ignored and numbers in numeric order. Names
// are the file system's bytes. Throws FileError when `dir` cannot be read.
std::vector<std::string> ListCsvFiles(const std::string& dir);
// The subdirectories of `dir` (hidden ones and "." and ".." left out), in
// the same order.
std::vector<std::string> ListSubdirectories(const std::string& dir);
// Sorts names (file system bytes) in that order.
void SortNamesForDisplay(std::vector<std::string>& names);

// A relative name taken against the current directory; the empty name and
// full names as they are, and a relative one as it is when there is no
// current directory to name (this runs while an error is being made).
std::string AbsoluteName(const std::string& name);
// Whether `path` names a directory (symbolic links followed).
bool IsDirectory(const std::string& path);

// Whether `path` is a full name (from "/" on Linux; a drive's root or a
// share on Windows), not one relative to the current directory.
bool IsAbsolutePath(const std::string& path);
// Where the bare name in `path` starts: after its last separator ("/";
// on Windows "" or "/").
std::size_t BareNameStart(std::string_view path);

// The directories from the root of the full name `dir` down to `dir`
// itself, each as a full name: "/", "/a", "/a/b"; on Windows "C:\",
// "C:\a", "C:\a\b", or a share's root first.
std::vector<std::string> PathFromRoot(const std::string& dir);

// "dir/name", with no second "/" after the root.
std::string JoinPath(const std::string& dir, const std::string& name);
// The directory part of a path: "." for a bare name, "/" at the root.
std::string DirectoryOf(const std::string& path);

// What makes a file the same file under any of its names: its device and
// inode, symbolic links followed.
struct FileIdentity {
  unsigned long long device = 0;
  unsigned long long inode = 0;
  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode;
  }
};
// The identity of the file `path` names (relative to the current directory),
// or nothing when there is no such file or it cannot be reached.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// A mounted, ready volume: its root path, its name (label or device) and
// the text the drive selector shows for it.
struct Volume {
  std::string root;
  std::string name;
  std::string caption;
};
// The mounted, ready volumes, pseudo file systems left out, sorted by root.
std::vector<Volume> MountedVolumes();
// The root of the volume that holds `path`.
std::string VolumeRootOf(const std::string& path);

} // namespace platform
