// Saving a large collected table, beside a durable `cat` of the same source
// files into one file (`cat sources > out && sync out`: a save is on disk
// when it ends, so the yardstick must be too). Generates "few large" source
// files (default 4 files, 1 GiB in all), collects them stacked, then times
// round by round, the order rotated every round: cat + sync, a plain save,
// and a save with escaping and UTF-8. Reports each round, the medians of the
// same-round ratios to cat + sync, the peak memory of each save above the
// memory held before it, and the load average before and after.
//
// Usage: save_bench [work_dir] [total_mib=1024] [file_count=4] [rounds=3]
// (rounds 0: only generate the sources)

#include "export/save_table.h"
#include "merge/collect.h"
#include "merge/result_table.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

class FileList : public merge::CandidateList {
public:
  explicit FileList(std::vector<std::string> paths) : paths_(std::move(paths)) {}
  int Count() const override { return static_cast<int>(paths_.size()); }
  bool IsTicked(int) const override { return true; }
  void Select(int index) override { selected_ = index; }
  std::string SelectedFullPath() const override { return paths_.at(selected_); }
  std::string FullPathOf(int index) const override { return paths_.at(index); }

private:
  std::vector<std::string> paths_;
  int selected_ = 0;
};

// Lines of ten fields: numbers, dates, Latin and Windows-1251 Cyrillic words.
void Generate(const std::string& path, std::size_t bytes, unsigned seed) {
  static const char* const kWords[] = {"\xCC\xEE\xF1\xEA\xE2\xE0",
                                       "\xCF\xE5\xF2\xF0\xEE\xE2",
                                       "Ivanov",
                                       "\xF2\xEE\xE2\xE0\xF0",
                                       "ACME Ltd",
                                       "\xD1\xE0\xED\xEA\xF2-\xCF\xE5\xF2\xE5\xF0\xE1\xF3\xF0\xE3"};
  std::mt19937 random(seed);
  std::ofstream out(path, std::ios::binary);
  std::string line;
  std::size_t written = 0;
  while (written < bytes) {
    line.clear();
    line += std::to_string(random() % 1000000);
    line += ";2024-0" + std::to_string(1 + random() % 9) + "-1" + std::to_string(random() % 10);
    for (int f = 0; f < 6; ++f) {
      line += ';';
      line += kWords[random() % 6];
    }
    line += ';' + std::to_string(random() % 100000) + "," + std::to_string(random() % 100);
    line += ";\r\n";
    out << line;
    written += line.size();
  }
}

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

long StatusKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == key) {
      long kb = 0;
      status >> kb;
      return kb;
    }
  }
  return -1;
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string a, b, c;
  in >> a >> b >> c;
  return a + " " + b + " " + c;
}

// Resets the peak resident size so that VmHWM tells the peak of what follows.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

struct Figure {
  double seconds;
  double peak_above_mb;
};

Figure TimeSave(const merge::ResultTable& table, const std::string& out, bool escape, bool utf8) {
  std::filesystem::remove(out);
  ::sync();
  ResetPeak();
  const long before = StatusKb("VmRSS:");
  const auto start = Clock::now();
  exporter::SaveTable(table, out, {';', escape, utf8});
  const double seconds = Seconds(start);
  return {seconds, (StatusKb("VmHWM:") - before) / 1024.0};
}

double TimeCat(const std::string& command, const std::string& cat_out) {
  std::filesystem::remove(cat_out);
  ::sync();
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0)
    std::exit(1);
  return Seconds(start);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "/tmp/kleitab-save-bench";
  const std::size_t total_mib = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1024;
  const int file_count = argc > 3 ? std::atoi(argv[3]) : 4;
  const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
  std::filesystem::create_directories(dir);

  std::vector<std::string> sources;
  for (int i = 0; i < file_count; ++i) {
    const std::string path = dir + "/source" + std::to_string(i) + ".csv";
    const std::size_t bytes = (total_mib << 20) / file_count;
    if (!std::filesystem::exists(path) || std::filesystem::file_size(path) < bytes)
      Generate(path, bytes, 17 + i);
    sources.push_back(path);
  }
  if (rounds <= 0) // only the sources
    return 0;

  merge::ResultTable table;
  FileList list(sources);
  merge::CollectOptions options;
  options.delimiter_text = ";";
  options.skip_count = 0;
  auto start = Clock::now();
  merge::CollectFiles(table, list, options, [] {});
  std::printf("collected %d x %d cells in %.2f s, table %.0f MB\n", table.ColCount(),
              table.RowCount(), Seconds(start), table.MemoryUsed() / 1e6);

  // The table's own read speed: the floor under any save.
  start = Clock::now();
  std::size_t cell_bytes = 0;
  for (std::int32_t row = 0; row < table.RowCount(); ++row)
    table.ForEachCellInRow(row, 0, table.ColCount(),
                           [&](std::int32_t, std::string_view text) { cell_bytes += text.size(); });
  std::printf("walk of the table: %6.2f s  (%zu cell bytes)\n", Seconds(start), cell_bytes);

  // cat of the sources into one file, flushed to disk, as the yardstick.
  const std::string cat_out = dir + "/cat.out";
  std::string cat = "cat";
  for (const auto& s : sources)
    cat += " '" + s + "'";
  cat += " > '" + cat_out + "' && sync '" + cat_out + "'";
  const std::string out = dir + "/saved.csv";

  std::printf("load average before: %s\n", LoadAverage().c_str());
  std::vector<double> cat_s, plain_s, full_s, plain_r, full_r;
  double plain_peak = 0, full_peak = 0, cat_mb = 0, plain_mb = 0, full_mb = 0;
  for (int round = 0; round < rounds; ++round) {
    double t_cat = 0;
    Figure plain{}, full{};
    for (int k = 0; k < 3; ++k) {
      switch ((k + round) % 3) {
      case 0:
        t_cat = TimeCat(cat, cat_out);
        cat_mb = std::filesystem::file_size(cat_out) / 1e6;
        std::filesystem::remove(cat_out);
        break;
      case 1:
        plain = TimeSave(table, out, false, false);
        plain_mb = std::filesystem::file_size(out) / 1e6;
        std::filesystem::remove(out);
        break;
      default:
        full = TimeSave(table, out, true, true);
        full_mb = std::filesystem::file_size(out) / 1e6;
        std::filesystem::remove(out);
        break;
      }
    }
    cat_s.push_back(t_cat);
    plain_s.push_back(plain.seconds);
    full_s.push_back(full.seconds);
    plain_r.push_back(plain.seconds / t_cat);
    full_r.push_back(full.seconds / t_cat);
    plain_peak = std::max(plain_peak, plain.peak_above_mb);
    full_peak = std::max(full_peak, full.peak_above_mb);
    std::printf("round %d: cat+sync %.2f s, plain %.2f s (%.2fx), escape+UTF-8 %.2f s (%.2fx); "
                "load %s\n",
                round + 1, t_cat, plain.seconds, plain_r.back(), full.seconds, full_r.back(),
                LoadAverage().c_str());
  }
  std::printf("load average after: %s\n", LoadAverage().c_str());
  const double c = Median(cat_s), p = Median(plain_s), f = Median(full_s);
  std::printf("cat+sync:          %6.2f s  %7.0f MB/s  (median of %d)\n", c, cat_mb / c, rounds);
  std::printf("save plain:        %6.2f s  %7.0f MB/s  %.2fx cat+sync (median of same-round "
              "ratios)  peak +%.0f MB\n",
              p, plain_mb / p, Median(plain_r), plain_peak);
  std::printf("save escape+UTF-8: %6.2f s  %7.0f MB/s  %.2fx cat+sync (median of same-round "
              "ratios)  peak +%.0f MB\n",
              f, full_mb / f, Median(full_r), full_peak);
  return 0;
}
