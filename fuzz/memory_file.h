#pragma once
// A file that lives in memory: a reader opens it by a path like any other.

#include "fuzz_check.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

class MemoryFile {
public:
  explicit MemoryFile(std::string_view bytes) : fd_(::memfd_create("fuzz", 0)) {
    FUZZ_CHECK(fd_ >= 0);
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      FUZZ_CHECK(n > 0);
      done += static_cast<std::size_t>(n);
    }
  }
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
  int fd_;
};
