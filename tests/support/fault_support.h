#pragma once
// Helpers of the fault tests: a small file system of their own (a tmpfs,
// mounted only where the test runs as root and the system lets it), besides
// the shared scratch directory, fake check list and recording progress.

#include "tests/support/fake_candidates.h"
#include "tests/support/recording_progress.h"
#include "tests/support/temp_dir.h"

#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace faults {

using testing_support::FakeCandidates;
using testing_support::NamesIn;
using testing_support::ReadBytes;
using testing_support::RecordingProgress;
using testing_support::TempDir;
using testing_support::WriteBytes;

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

} // namespace faults
