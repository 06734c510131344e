#pragma once
// Helpers of the fault tests: a scratch directory, a small file system of
// its own (a tmpfs, mounted only where the test runs as root and the system
// lets it), a candidate list over named files, and whole-file reading.

#include "merge/collect.h"

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace faults {

class ScratchDir {
public:
  ScratchDir() {
    char pattern[] = "/tmp/kleitab-faults-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
      throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
  std::string path_;
};

// A tmpfs of `size` mounted at `path` (created), unmounted at the end.
class SmallDisk {
public:
  SmallDisk(std::string path, const std::string& size) : path_(std::move(path)) {
    ::mkdir(path_.c_str(), 0755);
    const std::string options = "size=" + size;
    mounted_ =
        ::geteuid() == 0 && ::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_)
      ::umount2(path_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& path() const { return path_; }
  // Makes the whole file system read-only: even root cannot write then.
  bool MakeReadOnly() {
    return ::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

private:
  std::string path_;
  bool mounted_ = false;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  if (!out.flush())
    throw std::runtime_error("cannot write " + path);
}

// The names in a directory, to see that nothing was left behind.
inline std::vector<std::string> NamesIn(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (const dirent* entry = ::readdir(d)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..")
        names.push_back(name);
    }
    ::closedir(d);
  }
  return names;
}

// The check list: every path ticked, in the given order.
class PathCandidates : public merge::CandidateList {
public:
  explicit PathCandidates(std::vector<std::string> paths) : paths_(std::move(paths)) {}
  int Count() const override { return static_cast<int>(paths_.size()); }
  bool IsTicked(int) const override { return true; }
  void Select(int index) override { selected_ = index; }
  std::string SelectedFullPath() const override { return paths_.at(selected_); }

private:
  std::vector<std::string> paths_;
  int selected_ = 0;
};

} // namespace faults
