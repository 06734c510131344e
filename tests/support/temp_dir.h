#pragma once
// The one scratch directory of the tests: a fresh directory under /tmp,
// removed with everything in it afterwards (also what a test made read-only),
// and whole-file helpers.

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace testing_support {

// The names in a directory, "." and ".." left out, to see that nothing was
// left behind.
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
  std::sort(names.begin(), names.end());
  return names;
}

// A name as the standard streams take it: UTF-8 on Windows too.
inline std::filesystem::path StreamPath(const std::string& path) {
#ifdef _WIN32
  return std::filesystem::u8path(path);
#else
  return path;
#endif
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(StreamPath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(StreamPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush())
    throw std::runtime_error("cannot write " + path);
}

inline unsigned ModeOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

#ifdef _WIN32
inline constexpr const char* kSeparator = "\\";
#else
inline constexpr const char* kSeparator = "/";
#endif

class TempDir {
public:
#ifdef _WIN32
  // The user's temporary folder; names are UTF-8 text, as the program's are.
  TempDir() {
    const auto base = std::filesystem::temp_directory_path();
    for (unsigned n = static_cast<unsigned>(std::rand());; ++n) {
      const auto dir = base / ("kleitab-test-" + std::to_string(n));
      if (std::filesystem::create_directory(dir)) {
        path_ = dir.u8string();
        break;
      }
    }
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(path_), ignored);
  }
#else
  TempDir() {
    char pattern[] = "/tmp/kleitab-test-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
      throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    ::chmod(path_.c_str(), 0755); // readable by the unprivileged child of some tests
  }
  ~TempDir() {
    // Directories a test closed are opened again, so that all of it goes.
    std::system(("chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'").c_str());
  }
#endif
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const {
    return path_;
  }
  // Joined as the system joins names, so that messages name it the same.
  std::string File(std::string_view name) const {
    return path_ + kSeparator + std::string(name);
  }
  // Writes the bytes exactly as given; returns the full path.
  std::string Write(std::string_view name, std::string_view bytes) const {
    const std::string full = File(name);
    WriteBytes(full, bytes);
    return full;
  }
  std::vector<std::string> Names() const {
    return NamesIn(path_);
  }

private:
  std::string path_;
};

} // namespace testing_support
