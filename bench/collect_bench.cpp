// Collects every *.csv file of a directory into a ResultTable, as the
// window's Collect does, and prints the input rate and the peak memory.
//   collect_bench <directory> stacked|side|read [--full-path|--no-tag]
//                 [--encoding 1251|utf-8|auto] [--warm]
//                 [--quotes] [--header] [--match]
// "read" reads and splits every file without placing anything: the reader's
// share of a collect. --quotes reads quoted fields, --header takes each
// file's first line as its header, --match matches columns by header names.
// One measurement per process, so that the peak memory is this collect's:
// `seconds` is the first collect of a fresh process (what a user who starts
// the program and collects waits for). --warm then clears the table and
// collects the same files again into memory the process touched moments
// before (`warm_seconds`); the peak stays the first collect's.

#include "merge/collect.h"
#include "merge/read_quoted_source_file.h"
#include "merge/read_source_file.h"
#include "merge/result_table.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
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

  long long TotalBytes() const {
    long long total = 0;
    for (const auto& n : names_) {
      struct stat st {};
      if (::stat((dir_ + "/" + n).c_str(), &st) == 0)
        total += st.st_size;
    }
    return total;
  }

private:
  std::string dir_;
  std::vector<std::string> names_;
  int selected_ = 0;
};

} // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <directory> stacked|side [--full-path|--no-tag]\n", argv[0]);
    return 2;
  }
  DirectoryCandidates candidates(argv[1]);
  merge::CollectOptions options;
  options.delimiter_text = ",";
  options.side_by_side = std::strcmp(argv[2], "side") == 0;
  options.add_file_name = true;
  options.name_only = true;
  bool warm = false;
  for (int i = 3; i < argc; ++i) {
    const std::string flag = argv[i];
    options.name_only = options.name_only && flag != "--full-path";
    options.add_file_name = options.add_file_name && flag != "--no-tag";
    options.quotes = options.quotes || flag == "--quotes";
    options.header = options.header || flag == "--header";
    options.match_headers = options.match_headers || flag == "--match";
    warm = warm || flag == "--warm";
  }
  // "Кодировка файлов": 1251 (the default), utf-8, or auto (per file).
  for (int i = 3; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--encoding") != 0)
      continue;
    if (std::strcmp(argv[i + 1], "utf-8") == 0)
      options.source_encoding = merge::SourceEncoding::kUtf8;
    else if (std::strcmp(argv[i + 1], "auto") == 0)
      options.source_encoding = merge::SourceEncoding::kDetect;
  }

  const long long input = candidates.TotalBytes();
  merge::ResultTable table;
  const auto start = std::chrono::steady_clock::now();
  if (std::strcmp(argv[2], "read") == 0) {
    long long fields = 0;
    for (int i = 0; i < candidates.Count(); ++i) {
      candidates.Select(i);
      const auto count = [&](const std::vector<std::string_view>& f) { fields += f.size(); };
      if (options.quotes)
        merge::ReadQuotedSourceFile(candidates.SelectedFullPath(), 0, ',', count);
      else
        merge::ReadSourceFile(candidates.SelectedFullPath(), 0, ',', count);
    }
    std::printf("fields=%lld ", fields);
  } else {
    merge::CollectFiles(table, candidates, options, nullptr);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);

  double warm_seconds = -1;
  if (warm && std::strcmp(argv[2], "read") != 0) {
    table.ClearAll();
    const auto again = std::chrono::steady_clock::now();
    merge::CollectFiles(table, candidates, options, nullptr);
    warm_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - again).count();
  }

  const double peak_mb = usage.ru_maxrss * 1024.0 / 1e6; // ru_maxrss is in KiB
  const double input_mb = input / 1e6;
  std::printf("files=%d input_mb=%.1f seconds=%.3f warm_seconds=%.3f mb_per_s=%.1f "
              "peak_rss_mb=%.1f peak_over_input=%.2f table_mb=%.1f rows=%d cols=%d\n",
              candidates.Count(), input_mb, seconds, warm_seconds, input_mb / seconds, peak_mb,
              peak_mb / input_mb, table.MemoryUsed() / 1e6, table.RowCount(), table.ColCount());
  return 0;
}
