#pragma once
// Tells a Progress (if any) how far reading has come, every few MiB, and
// asks it then whether the user cancelled.

#include "platform/progress.h"

#include <cstdint>
#include <string>

namespace merge {

class ReadProgress {
public:
  explicit ReadProgress(platform::Progress* progress) : progress_(progress) {}

  void FileStarted(const std::string& path, std::int64_t size) {
    file_base_ = total_;
    next_report_ = 0;
    if (progress_ != nullptr) {
      progress_->FileStarted(path, size);
      Check();
    }
  }
  // `file_bytes` read so far from the current file. Cheap between reports.
  void Advance(std::int64_t file_bytes) {
    if (file_bytes < next_report_)
      return;
    total_ = file_base_ + file_bytes;
    next_report_ = file_bytes + kReportEvery;
    if (progress_ != nullptr) {
      progress_->BytesDone(total_);
      Check();
    }
  }
  void FileDone(std::int64_t file_bytes) {
    total_ = file_base_ + file_bytes;
    if (progress_ != nullptr)
      progress_->BytesDone(total_);
  }

  void DataCutAtEndMark(const std::string& path) {
    if (progress_ != nullptr)
      progress_->DataCutAtEndMark(path);
  }

  std::int64_t total() const { return total_; }

  static constexpr std::int64_t kReportEvery = std::int64_t{4} << 20;

private:
  void Check() {
    if (progress_->CancelRequested())
      throw platform::Cancelled();
  }

  platform::Progress* progress_;
  std::int64_t total_ = 0;
  std::int64_t file_base_ = 0;
  std::int64_t next_report_ = 0;
};

} // namespace merge
