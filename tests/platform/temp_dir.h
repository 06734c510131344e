#pragma once
// A fresh directory under /tmp for one test, removed with all it holds.

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace testing_support {

class TempDir {
public:
  TempDir() {
    char pattern[] = "/tmp/kleitab-test-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
      throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    ::chmod(path_.c_str(), 0755); // readable by the unprivileged child of some tests
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }
  // Writes the bytes exactly as given; returns the full path.
  std::string Write(std::string_view name, std::string_view bytes) const {
    const std::string full = File(name);
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
      throw std::runtime_error("cannot write " + full);
    return full;
  }

private:
  std::string path_;
};

} // namespace testing_support
