// Tidying a collected table: sorting by a column, removing repeated rows,
// finding a text. Collects every *.csv file of a directory (stacked, no
// file-name column, so that the table holds the files' lines as they are),
// then times the one operation asked for and prints its time and the memory
// it added at its peak (VmHWM after /proc/self/clear_refs, less the resident
// memory before it):
//   tidy_bench <directory> sort <column> [desc] | dedupe | find <text> [nocase]
//              [--encoding utf-8] [--check FILE]
// Columns count from 1, as sort -k does. --check writes the table after the
// operation (the rows as lines, cells joined by ",") to FILE, so that its
// order can be compared with the yardstick's output. Texts sort in the
// locale of the environment (LC_ALL / LC_COLLATE), as the window does.

#include "merge/collect.h"
#include "merge/result_table.h"
#include "merge/table_dedupe.h"
#include "merge/table_find.h"
#include "merge/table_sort.h"

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <string>
#include <vector>

namespace {

class DirectoryCandidates : public merge::CandidateList {
public:
  explicit DirectoryCandidates(std::string dir) : dir_(std::move(dir)) {
    if (DIR* d = ::opendir(dir_.c_str())) {
      while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".csv") == 0)
          names_.push_back(name);
      }
      ::closedir(d);
    }
    std::sort(names_.begin(), names_.end());
  }
  int Count() const override { return static_cast<int>(names_.size()); }
  bool IsTicked(int) const override { return true; }
  void Select(int index) override { selected_ = index; }
  std::string SelectedFullPath() const override { return dir_ + "/" + names_[selected_]; }
  std::string FullPathOf(int index) const override { return dir_ + "/" + names_[index]; }

private:
  std::string dir_;
  std::vector<std::string> names_;
  int selected_ = 0;
};

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t n = std::strlen(field);
  while (std::getline(status, line))
    if (line.compare(0, n, field) == 0)
      return std::atol(line.c_str() + n + 1);
  return -1;
}

void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

void Write(const merge::ResultTable& table, const char* path) {
  std::FILE* out = std::fopen(path, "wb");
  std::string line;
  for (std::int32_t r = 0; r < table.RowCount(); ++r) {
    line.clear();
    for (std::int32_t c = 0; c < table.ColCount(); ++c) {
      if (c > 0)
        line += ',';
      line += table.GetCell(c, r);
    }
    // The table's last column is the one a collect leaves empty after the
    // last field: the lines end before it.
    while (!line.empty() && line.back() == ',')
      line.pop_back();
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), out);
  }
  std::fclose(out);
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <directory> sort <col> [desc]|dedupe|find <text> [nocase]\n",
                 argv[0]);
    return 2;
  }
  std::setlocale(LC_ALL, "");
  DirectoryCandidates candidates(argv[1]);
  merge::CollectOptions options;
  options.delimiter_text = ",";
  options.add_file_name = false;
  const char* check = nullptr;
  std::vector<std::string> args;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--encoding") == 0 && i + 1 < argc) {
      if (std::strcmp(argv[++i], "utf-8") == 0)
        options.source_encoding = merge::SourceEncoding::kUtf8;
    } else if (std::strcmp(argv[i], "--check") == 0 && i + 1 < argc) {
      check = argv[++i];
    } else {
      args.emplace_back(argv[i]);
    }
  }
  merge::ResultTable table;
  merge::CollectFiles(table, candidates, options, nullptr);
  const long before_kib = StatusKiB("VmRSS:");
  ResetPeak();
  const auto start = std::chrono::steady_clock::now();
  std::string result;
  const std::string& op = args.at(0);
  if (op == "sort") {
    merge::SortOptions sort;
    sort.column = std::atoi(args.at(1).c_str()) - 1;
    sort.descending = args.size() > 2 && args[2] == "desc";
    const merge::RowOrder order =
        merge::SortRows(table, sort, merge::LocaleTextKey(table.Encoding()));
    result = "rows=" + std::to_string(order.Count());
  } else if (op == "dedupe") {
    const merge::RemovedDuplicates removed = merge::RemoveDuplicateRows(table, false);
    result = "removed=" + std::to_string(removed.removed);
  } else if (op == "find") {
    merge::FindOptions find;
    find.match_case = !(args.size() > 2 && args[2] == "nocase");
    const auto found =
        merge::FindCell(table, args.at(1), find, {table.FixedCols(), table.FixedRows()}, false);
    result = found ? "found=" + std::to_string(found->row) : std::string("found=none");
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const long peak_kib = StatusKiB("VmHWM:");
  std::printf("seconds=%.3f rows=%d added_bytes_per_row=%.2f %s\n", seconds, table.RowCount(),
              (peak_kib - before_kib) * 1024.0 / std::max(1, table.RowCount()), result.c_str());
  if (check)
    Write(table, check);
  return 0;
}
