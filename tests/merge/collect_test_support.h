#pragma once
// Helpers of the collecting tests: a candidate list over a temporary
// directory and a compact view of a table's cells.

#include "merge/collect.h"
#include "merge/result_table.h"
#include "platform/progress.h"
#include "tests/platform/temp_dir.h"

#include <string>
#include <vector>

namespace testing_support {

// The check list and file list: entry i names files[i] in the directory;
// items past the file list's end have no entry (an empty full path).
class FakeCandidates : public merge::CandidateList {
public:
  struct Item {
    std::string name;
    bool ticked = true;
  };
  FakeCandidates(const TempDir& dir, std::vector<Item> items, int file_list_size = -1)
      : dir_(dir), items_(std::move(items)),
        file_list_size_(file_list_size < 0 ? static_cast<int>(items_.size()) : file_list_size) {}

  int Count() const override { return static_cast<int>(items_.size()); }
  bool IsTicked(int index) const override { return items_[index].ticked; }
  void Select(int index) override {
    selected_ = index < file_list_size_ ? index : -1;
    selections.push_back(index);
  }
  std::string SelectedFullPath() const override {
    return selected_ < 0 ? std::string() : dir_.File(items_[selected_].name);
  }

  std::vector<int> selections;

private:
  const TempDir& dir_;
  std::vector<Item> items_;
  int file_list_size_;
  int selected_ = -1;
};

// The rows 0..rows-1, columns 0..cols-1 of the store, extents ignored.
inline std::vector<std::vector<std::string>> Cells(const merge::ResultTable& table, int cols,
                                                   int rows) {
  std::vector<std::vector<std::string>> out(rows, std::vector<std::string>(cols));
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      out[r][c] = std::string(table.GetCell(c, r));
  return out;
}

using Grid = std::vector<std::vector<std::string>>;

// Counts the calls and says "cancel" once `cancel_after_bytes` were read.
class RecordingProgress : public platform::Progress {
public:
  explicit RecordingProgress(std::int64_t cancel_after_bytes = -1)
      : cancel_after_(cancel_after_bytes) {}
  void FileStarted(const std::string& path, std::int64_t size) override {
    files.push_back(path);
    sizes.push_back(size);
  }
  void BytesDone(std::int64_t total) override { last_total = total; }
  bool CancelRequested() override { return cancel_after_ >= 0 && last_total >= cancel_after_; }

  std::vector<std::string> files;
  std::vector<std::int64_t> sizes;
  std::int64_t last_total = 0;

private:
  std::int64_t cancel_after_;
};

} // namespace testing_support
