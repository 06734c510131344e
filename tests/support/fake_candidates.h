#pragma once
// The one stand-in for the first page's check list and file list.

#include "merge/collect.h"
#include "tests/support/temp_dir.h"

#include <string>
#include <vector>

namespace testing_support {

// Entry i names items[i] (a name in `dir`, or a full path); items past the
// file list's end have no entry (an empty full path). Records every Select.
class FakeCandidates : public merge::CandidateList {
public:
  struct Item {
    std::string name;
    bool ticked = true;
  };
  FakeCandidates(const TempDir& dir, std::vector<Item> items, int file_list_size = -1)
      : FakeCandidates(std::move(items), file_list_size) {
    for (Item& item : items_)
      item.name = dir.File(item.name);
  }
  // Full paths, every one ticked.
  explicit FakeCandidates(const std::vector<std::string>& paths)
      : FakeCandidates(std::vector<Item>{}, -1) {
    for (const std::string& path : paths)
      items_.push_back({path, true});
    file_list_size_ = static_cast<int>(items_.size());
  }

  int Count() const override { return static_cast<int>(items_.size()); }
  bool IsTicked(int index) const override { return items_.at(index).ticked; }
  void Select(int index) override {
    selected_ = index < file_list_size_ ? index : -1;
    selections.push_back(index);
  }
  std::string SelectedFullPath() const override {
    return selected_ < 0 ? std::string() : items_.at(selected_).name;
  }
  std::string FullPathOf(int index) const override {
    return index < file_list_size_ ? items_.at(index).name : std::string();
  }

  std::vector<int> selections;

private:
  FakeCandidates(std::vector<Item> items, int file_list_size)
      : items_(std::move(items)),
        file_list_size_(file_list_size < 0 ? static_cast<int>(items_.size()) : file_list_size) {}

  std::vector<Item> items_;
  int file_list_size_;
  int selected_ = -1;
};

} // namespace testing_support
