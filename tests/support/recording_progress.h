#pragma once
// The one recording Progress of the tests: what it was told, and a cancel
// once a report reached a given count of bytes.

#include "platform/progress.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

class RecordingProgress : public platform::Progress {
public:
  // Never cancels with -1; else cancels from the first report of at least
  // `cancel_after_bytes` bytes on (0: at the first report).
  explicit RecordingProgress(std::int64_t cancel_after_bytes = -1)
      : cancel_after_(cancel_after_bytes) {}
  void JobStarted(std::int32_t files_in_job, std::int64_t bytes_in_job) override {
    jobs.push_back({files_in_job, bytes_in_job, files.size()});
  }
  void FileStarted(const std::string& path, std::int64_t size) override {
    files.push_back(path);
    sizes.push_back(size);
  }
  void BytesDone(std::int64_t total) override {
    last_total = total;
    ++reports;
  }
  bool CancelRequested() override {
    return cancel_after_ >= 0 && reports > 0 && last_total >= cancel_after_;
  }

  struct Job {
    std::int32_t files;
    std::int64_t bytes;
    std::size_t files_started_before; // how many files had been started when it came
    bool operator==(const Job& o) const {
      return files == o.files && bytes == o.bytes && files_started_before == o.files_started_before;
    }
  };
  std::vector<Job> jobs;
  std::vector<std::string> files;
  std::vector<std::int64_t> sizes;
  std::int64_t last_total = 0;
  int reports = 0;

private:
  std::int64_t cancel_after_;
};

} // namespace testing_support
