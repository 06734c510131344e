// The grid's editing tools on a large table, each timed from the command to
// the repaint in an offscreen window: "Очистить" and its undo and redo, a
// copy and a paste of a million cells (and the paste's undo), and the
// engine's PasteText alone.
//
//   edit_bench [rows]      (default 16,900,000 rows of 10 columns)

#include "app/grid_view.h"
#include "app/unit1.h"
#include "merge/result_table.h"
#include "merge/table_edits.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void FillTable(merge::ResultTable& table, int rows, int cols) {
  merge::BulkChange bulk(table);
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
}

// Milliseconds of `work` and the repaint after it.
template <typename Work> double Timed(app::TForm1& form, Work&& work) {
  QElapsedTimer timer;
  timer.start();
  work();
  QApplication::processEvents();
  form.StringGrid1->viewport()->repaint();
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QTemporaryDir start_directory; // no init.ini there
  QDir::setCurrent(start_directory.path());
  const int rows = argc > 1 ? std::atoi(argv[1]) : 16'900'000;
  const int cols = 10;

  app::TForm1 form;
  form.show();
  FillTable(form.Table(), rows, cols);
  form.SetActivePage(2);
  QApplication::processEvents();
  form.StringGrid1->viewport()->repaint();
  const double table_mib = static_cast<double>(form.Table().MemoryUsed()) / (1 << 20);

  const double clear_ms = Timed(form, [&] { form.N5->trigger(); });
  const double undo_clear_ms = Timed(form, [&] { form.N8->trigger(); });
  const double redo_clear_ms = Timed(form, [&] { form.N9->trigger(); });
  // The same undo split: the table's own turn (the old table swapped back),
  // then the grid catching up with 16.9 million rows coming back.
  Timed(form, [&] { form.N9->trigger(); });
  merge::TableObserver* grid_model = form.Table().Observer();
  form.Table().SetObserver(nullptr);
  QElapsedTimer turn;
  turn.start();
  form.History().Undo(form.Table());
  const double table_undo_ms = static_cast<double>(turn.nsecsElapsed()) / 1e6;
  form.Table().SetObserver(grid_model);
  const double grid_undo_ms = Timed(form, [&] { merge::BulkChange bulk(form.Table()); });
  if (form.Table().RowCount() != rows)
    return 1;

  // A million cells: 100,000 rows of 10.
  constexpr int kClipRows = 100'000;
  form.StringGrid1->setCurrentIndex(form.StringGrid1->model()->index(0, 0));
  form.StringGrid1->selectionModel()->select(
      QItemSelection(form.StringGrid1->model()->index(0, 0),
                     form.StringGrid1->model()->index(kClipRows - 1, cols - 2)),
      QItemSelectionModel::ClearAndSelect);
  const double copy_ms = Timed(form, [&] { form.N10->trigger(); });
  const QString copied = QApplication::clipboard()->text();
  // Pasted one column to the right, where every cell holds something else.
  form.StringGrid1->selectionModel()->clearSelection();
  form.StringGrid1->setCurrentIndex(form.StringGrid1->model()->index(0, 1));
  const double paste_ms = Timed(form, [&] { form.N12->trigger(); });
  const double undo_paste_ms = Timed(form, [&] { form.N8->trigger(); });

  merge::ResultTable scratch;
  const std::string bytes = copied.toStdString();
  QElapsedTimer timer;
  timer.start();
  const auto step = merge::PasteText(scratch, 0, 0, bytes);
  const double engine_paste_ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;

  std::printf("table: %d rows x %d columns, %.0f MiB\n", rows, cols, table_mib);
  std::printf("Очистить: %.1f ms; its undo: %.1f ms; redo: %.1f ms\n", clear_ms, undo_clear_ms,
              redo_clear_ms);
  std::printf("  of the undo: the table's own turn %.3f ms, the grid catching up %.1f ms\n",
              table_undo_ms, grid_undo_ms);
  std::printf("copy of %d cells (%lld characters): %.0f ms\n", kClipRows * (cols - 1),
              static_cast<long long>(copied.size()), copy_ms);
  std::printf("paste of those cells over others: %.0f ms; its undo: %.0f ms\n", paste_ms,
              undo_paste_ms);
  std::printf("PasteText alone into an empty table: %.0f ms (%.0f MiB of undo step)\n",
              engine_paste_ms, static_cast<double>(step->Bytes()) / (1 << 20));
  return 0;
}
