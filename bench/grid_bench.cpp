// The grid over a large table: showing the table page and painting the first
// screen, the cost of one page down near the top and near the bottom, and the
// memory the view takes beside the table. With --open: how long the window
// takes to appear from the start of the process.
//
//   grid_bench [rows]      (default 1,000,000 rows of 10 columns)
//   grid_bench --open

#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/unit1.h"
#include "merge/result_table.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <time.h>
#include <unistd.h>

namespace {

double ResidentMiB() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// Milliseconds since the process started, from /proc/self/stat's start time.
double MsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string line;
  std::getline(stat, line);
  const auto close = line.rfind(')');
  const char* p = line.c_str() + close + 2;
  unsigned long long start_ticks = 0;
  for (int field = 3; field <= 22; ++field) {
    if (field == 22)
      start_ticks = std::strtoull(p, nullptr, 10);
    p = std::strchr(p, ' ') + 1;
  }
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double start_ms = 1000.0 * static_cast<double>(start_ticks) / sysconf(_SC_CLK_TCK);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6 - start_ms;
}

void FillTable(merge::ResultTable& table, int rows, int cols) {
  table.BeginBulkChange();
  std::string texts[16];
  std::string_view fields[16];
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      texts[c] = "r" + std::to_string(r) + "c" + std::to_string(c);
      fields[c] = texts[c];
    }
    table.PlaceCells(r, 0, fields, static_cast<std::size_t>(cols), nullptr);
  }
  table.SetRowCount(rows);
  table.SetColCount(cols);
  table.EndBulkChange();
}

double TimePages(app::GridView& grid, int first_row, int pages) {
  grid.setCurrentIndex(grid.model()->index(first_row, 0));
  grid.scrollTo(grid.currentIndex(), QAbstractItemView::PositionAtTop);
  grid.viewport()->repaint();
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < pages; ++i) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(&grid, &key);
    grid.viewport()->repaint();
  }
  return static_cast<double>(timer.nsecsElapsed()) / 1e6 / pages;
}

} // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  const bool open_only = argc > 1 && std::strcmp(argv[1], "--open") == 0;
  QApplication application(argc, argv);
  QTemporaryDir start_directory; // no init.ini there
  QDir::setCurrent(start_directory.path());

  if (open_only) {
    app::TForm1 form;
    form.show();
    QApplication::processEvents();
    form.repaint();
    std::printf("window open: %.0f ms from process start\n", MsSinceProcessStart());
    return 0;
  }

  const int rows = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
  const int cols = 10;
  app::TForm1 form;
  form.show();
  QApplication::processEvents();
  const double before_table = ResidentMiB();
  FillTable(form.Table(), rows, cols);
  QApplication::processEvents();
  const double with_table = ResidentMiB();

  QElapsedTimer timer;
  timer.start();
  form.SetActivePage(2);
  form.PageControl1Change();
  QApplication::processEvents();
  form.StringGrid1->viewport()->repaint();
  const double first_screen_ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;

  // What the view does after a collect: the table's bulk change ends and
  // every text is announced anew.
  timer.restart();
  form.Table().BeginBulkChange();
  form.Table().EndBulkChange();
  QApplication::processEvents();
  form.StringGrid1->viewport()->repaint();
  const double reset_ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;

  const double near_top = TimePages(*form.StringGrid1, 10, 50);
  const double near_bottom = TimePages(*form.StringGrid1, rows * 9 / 10, 50);
  const double with_view = ResidentMiB();

  std::printf("table: %d rows x %d columns, %.0f MiB resident\n", rows, cols,
              with_table - before_table);
  std::printf("table page shown and first screen painted: %.1f ms\n", first_screen_ms);
  std::printf("all texts announced anew (the end of a collect) and repainted: %.1f ms\n", reset_ms);
  std::printf("page down near row 10: %.2f ms a page; near row %d: %.2f ms a page\n", near_top,
              rows * 9 / 10, near_bottom);
  std::printf("view memory above the table: %.1f MiB\n", with_view - with_table);
  return 0;
}
