// The preview and "Определить" on generated files:
//   detect_bench preview FILE   PreviewFile of FILE, first call and median of 20
//   detect_bench detect DIR     DetectFileOptions of every *.csv of DIR, then
//                               CombineDetected: first run and median of 5
// Each prints milliseconds; bench/run_detect.sh runs both beside head -c.

#include "merge/collect.h"
#include "merge/detect_options.h"
#include "merge/preview.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

template <typename Work> double Milliseconds(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: detect_bench preview FILE | detect DIR\n");
    return 2;
  }
  const std::string mode = argv[1];
  const std::string target = argv[2];
  std::size_t sink = 0;
  std::vector<double> times;
  if (mode == "preview") {
    merge::CollectOptions options; // the window's start: "," and Windows-1251
    for (int i = 0; i < 21; ++i)
      times.push_back(
          Milliseconds([&] { sink += merge::PreviewFile(target, options).rows.size(); }));
  } else {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::directory_iterator(target))
      if (entry.path().extension() == ".csv")
        paths.push_back(entry.path().string());
    for (int i = 0; i < 6; ++i)
      times.push_back(Milliseconds([&] {
        std::vector<merge::DetectedOptions> found;
        for (const std::string& path : paths)
          found.push_back(merge::DetectFileOptions(path));
        sink += static_cast<std::size_t>(merge::CombineDetected(found).delimiter_files);
      }));
    std::printf("files %zu\n", paths.size());
  }
  const double first = times.front();
  times.erase(times.begin());
  std::printf("%s first %.2f ms, median %.2f ms (%zu)\n", mode.c_str(), first, Median(times), sink);
  return 0;
}
