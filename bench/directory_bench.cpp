// Entering a directory on the page "Выбрать файлы": the time from
// SetShownDirectory to a filled file list and check list, for a directory of
// 100,000 "*.csv" files and one of 10. Targets: under 1 s and under 20 ms.
//
// Usage: directory_bench [repetitions]   (run with QT_QPA_PLATFORM=offscreen)

#include "app/file_page.h"
#include "platform/directory.h"

#include <QApplication>
#include <QListWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Makes `dir` hold `count` empty files "file<i>.csv" (kept between runs).
std::string MakeDirectory(const std::string& dir, int count) {
  ::mkdir(dir.c_str(), 0755);
  const std::string marker = dir + "/.complete";
  if (::access(marker.c_str(), F_OK) == 0)
    return dir;
  for (int i = 0; i < count; ++i) {
    const std::string path = dir + "/file" + std::to_string(i) + ".csv";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    if (fd < 0) {
      std::perror(path.c_str());
      std::exit(1);
    }
    ::close(fd);
  }
  ::close(::open(marker.c_str(), O_WRONLY | O_CREAT, 0644));
  return dir;
}

double Milliseconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Enters `dir` from the neutral directory `away`, `repetitions` times.
void Time(app::FilePage& page, const std::string& dir, const std::string& away, int repetitions,
          int expected) {
  double best = 1e300, total = 0;
  for (int r = 0; r < repetitions; ++r) {
    auto start = std::chrono::steady_clock::now();
    page.SetShownDirectory(away);
    const double leave_ms = Milliseconds(std::chrono::steady_clock::now() - start);
    start = std::chrono::steady_clock::now();
    const std::size_t listed = platform::ListCsvFiles(dir).size();
    const double list_ms = Milliseconds(std::chrono::steady_clock::now() - start);
    start = std::chrono::steady_clock::now();
    page.SetShownDirectory(dir);
    const double ms = Milliseconds(std::chrono::steady_clock::now() - start);
    QApplication::processEvents(); // the lists laid out and painted
    const double painted_ms = Milliseconds(std::chrono::steady_clock::now() - start);
    if (listed != static_cast<std::size_t>(expected) || page.FileListBox1()->count() != expected ||
        page.Count() != expected || !page.IsTicked(expected - 1)) {
      std::fprintf(stderr, "wrong listing of %s\n", dir.c_str());
      std::exit(1);
    }
    best = std::min(best, ms);
    total += ms;
    std::printf("  run %d: enter %9.2f ms, painted after %9.2f ms (listing alone %8.2f ms; "
                "leaving before %8.2f ms)\n",
                r + 1, ms, painted_ms, list_ms, leave_ms);
  }
  std::printf("%s: enter best %9.2f ms, mean %9.2f ms\n", dir.c_str(), best, total / repetitions);
}

} // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

  const std::string root = "/tmp/kleitab-directory-bench";
  ::mkdir(root.c_str(), 0755);
  const std::string away = root + "/empty";
  ::mkdir(away.c_str(), 0755);
  const std::string large = MakeDirectory(root + "/files100000", 100000);
  const std::string small = MakeDirectory(root + "/files10", 10);

  app::FilePage page;
  page.resize(640, 480);
  page.show();
  Time(page, small, away, repetitions, 10);
  Time(page, large, away, repetitions, 100000);
  return 0;
}
