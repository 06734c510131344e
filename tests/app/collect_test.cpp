// Collecting from the page "Настройка" into the grid, a locked source file,
// and the four commands of the grid's context menu.

#include "tests/support/address_space.h"
#include "tests/support/window_test_support.h"

#include "app/desktop_seams.h"
#include "app/file_page.h"
#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/unit1.h"
#include "app/work_progress.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <QElapsedTimer>
#include <QFileInfo>

#include <fcntl.h>
#include <malloc.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>
#include <vector>

using app_test::ErrorRecorder;
using app_test::Scratch;

namespace {

// The visible table, row by row, cells joined by "|".
QStringList Rows(merge::ResultTable& table) {
  QStringList rows;
  for (int row = 0; row < table.RowCount(); ++row) {
    QStringList cells;
    for (int col = 0; col < table.ColCount(); ++col)
      cells.append(QString::fromStdString(std::string(table.GetCell(col, row))));
    rows.append(cells.join(QLatin1Char('|')));
  }
  return rows;
}

void Collect(app::TForm1& form) {
  form.SetActivePage(1);
  form.Button1->setText(QStringLiteral("Собрать"));
  form.Button1Click();
}

// Holds an exclusive lock on a file, as another program writing it would.
class Locker {
public:
  explicit Locker(const QString& path) : fd_(::open(QFile::encodeName(path).constData(), O_RDWR)) {
    if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0)
      qFatal("cannot lock %s", qPrintable(path));
  }
  ~Locker() { ::close(fd_); }

private:
  int fd_;
};

} // namespace

class CollectTest : public QObject {
  Q_OBJECT
private slots:
  // First: a child forked after painting would inherit Qt's painting
  // helper threads as bookkeeping without the threads, and wait for them.
  void OutOfMemoryInTheGridNeverCrashes();
  void FilePageListsCsvFiles();
  void CollectStacked();
  void CollectSideBySide();
  void SkipCountParsedOnPress();
  void CellsShownInWindows1251();
  void LockedSourceFile();
  void DeleteEmptyRows();
  void Clear();
  void CollectAgain();
  void Add();
  void ProgressShownAfterHalfSecond();
  void OutOfMemoryShowsTheBoxAndKeepsWholeRows();
  void RoundsOfCollectEditSaveClearKeepMemorySteady();
};

void CollectTest::FilePageListsCsvFiles() {
  Scratch scratch;
  for (const char* name : {"file10.csv", "file2.csv", "B.CSV", "a.Csv", ".hidden.csv", "note.txt"})
    scratch.Write(QString::fromLatin1(name), "x\n");
  QDir(scratch.Path(QString())).mkdir(QStringLiteral("dir.csv"));
  app::TForm1& form = scratch.Form();
  const QStringList expected = {"a.Csv", "B.CSV", "file2.csv", "file10.csv"};
  QListWidget* files = form.findChild<QListWidget*>(QStringLiteral("FileListBox1"));
  QListWidget* ticks = form.findChild<QListWidget*>(QStringLiteral("CheckListBox1"));
  QCOMPARE(files->count(), expected.size());
  QCOMPARE(ticks->count(), expected.size());
  for (int i = 0; i < expected.size(); ++i) {
    QCOMPARE(files->item(i)->text(), expected[i]);
    QCOMPARE(ticks->item(i)->text(), expected[i]);
    QCOMPARE(ticks->item(i)->checkState(), Qt::Checked);
  }
  app::FilePage& page = *form.FilePage1;
  QCOMPARE(page.SelectedFullPath(), std::string());
  page.Select(1);
  QCOMPARE(QString::fromStdString(page.SelectedFullPath()),
           QDir::currentPath() + QStringLiteral("/B.CSV"));
  page.Select(7);
  QCOMPARE(page.SelectedFullPath(), std::string());
}

void CollectTest::CollectStacked() {
  Scratch scratch;
  scratch.Write("a.csv", "1,2,3\n4,5,6\n");
  scratch.Write("b.csv", "7,8\n");
  app::TForm1& form = scratch.Form();
  form.ComboBox1->setCurrentIndex(0);
  Collect(form);
  QCOMPARE(form.PageControl1->currentIndex(), 2);
  QCOMPARE(form.Button1->text(), QStringLiteral("Сохранить"));
  merge::ResultTable& table = form.Table();
  QCOMPARE(table.GetCell(0, 0), std::string_view("1"));
  QCOMPARE(table.GetCell(3, 0), std::string_view("a"));
  QCOMPARE(table.GetCell(0, 1), std::string_view("4"));
  QCOMPARE(table.GetCell(0, 2), std::string_view("7"));
  QCOMPARE(table.GetCell(2, 2), std::string_view("b"));

  // The grid shows the table: row 0 in the horizontal header, column 0 in
  // the vertical one, cell (0, 0) in the corner.
  app::GridModel* model = form.StringGrid1->Model();
  QCOMPARE(model->rowCount(), table.RowCount() - 1);
  QCOMPARE(model->columnCount(), table.ColCount() - 1);
  QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("2"));
  QCOMPARE(model->headerData(0, Qt::Vertical).toString(), QStringLiteral("4"));
  QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("5"));
  QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("b"));
  QCOMPARE(form.StringGrid1->CornerText(), QStringLiteral("1"));
}

void CollectTest::CollectSideBySide() {
  Scratch scratch;
  scratch.Write("a.csv", "1,2,3\n4,5,6");
  scratch.Write("b.csv", "7,8\n9,10");
  app::TForm1& form = scratch.Form();
  QCOMPARE(form.ComboBox1->currentIndex(), 1);
  Collect(form);
  QCOMPARE(form.PageControl1->currentIndex(), 2);
  merge::ResultTable& table = form.Table();
  QCOMPARE(Rows(table), QStringList({"||1|2|3|a|7|8|b", "||4|5|6|a|9|10|b"}));
  app::GridModel* model = form.StringGrid1->Model();
  QCOMPARE(model->columnCount(), 8);
  QCOMPARE(model->headerData(5, Qt::Horizontal).toString(), QStringLiteral("7"));
  QCOMPARE(model->index(0, 7).data().toString(), QStringLiteral("b"));
}

void CollectTest::SkipCountParsedOnPress() {
  Scratch scratch;
  scratch.Write("a.csv", "head\n1,2\n3,4\n");
  app::TForm1& form = scratch.Form();
  form.ComboBox1->setCurrentIndex(0);
  form.CheckBox1->setChecked(false);
  form.CheckBox6->setChecked(true);
  form.Edit3->setText(QStringLiteral("1 строка"));
  Collect(form);
  QCOMPARE(Rows(form.Table()), QStringList({"1|2", "3|4"}));
}

void CollectTest::CellsShownInWindows1251() {
  Scratch scratch;
  scratch.Write("a.csv", "\xcf\xf0\xe8\xe2\xe5\xf2,\xb8\n\xc0,x\n"); // "Привет", "ё"; "А"
  app::TForm1& form = scratch.Form();
  form.ComboBox1->setCurrentIndex(0);
  Collect(form);
  app::GridModel* model = form.StringGrid1->Model();
  QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ё"));
  QCOMPARE(form.StringGrid1->CornerText(), QStringLiteral("Привет"));
  QCOMPARE(model->headerData(0, Qt::Vertical).toString(), QStringLiteral("А"));
  // Editing encodes back.
  QVERIFY(model->setData(model->index(0, 0), QStringLiteral("Ъ€")));
  QCOMPARE(form.Table().GetCell(1, 1), std::string_view("\xda\x88"));
}

void CollectTest::LockedSourceFile() {
  Scratch scratch;
  scratch.Write("a.csv", "1,2\n");
  scratch.Write("b.csv", "3,4\n");
  scratch.Write("c.csv", "5,6\n");
  app::TForm1& form = scratch.Form();
  form.ComboBox1->setCurrentIndex(0);
  ErrorRecorder errors;
  {
    Locker lock(scratch.Path("b.csv"));
    Collect(form);
  }
  QCOMPARE(errors.Texts(), QStringList({"I/O error 32."}));
  // Below the message, the box names the file that failed.
  QCOMPARE(errors.files, QStringList({scratch.Path("b.csv")}));
  QCOMPARE(errors.boxes.front().first, app::ProgramTitle(QCoreApplication::applicationFilePath()));
  // The page stays, what was placed stays, nothing after the failed file.
  QCOMPARE(form.PageControl1->currentIndex(), 1);
  QCOMPARE(form.Button1->text(), QStringLiteral("Сохранить"));
  QCOMPARE(form.Table().GetCell(0, 0), std::string_view("1"));
  QCOMPARE(form.StringGrid1->CornerText(), QStringLiteral("1"));
  for (int row = 1; row < form.Table().RowCount() + 2; ++row)
    QCOMPARE(form.Table().GetCell(0, row), std::string_view());
  // The window goes on: pressing again collects everything.
  form.Button1Click();
  QCOMPARE(form.PageControl1->currentIndex(), 2);
  QCOMPARE(errors.boxes.size(), 1);
}

void CollectTest::DeleteEmptyRows() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  merge::ResultTable& table = form.Table();
  table.SetRowCount(4);
  table.SetCell(0, 0, "A1");
  table.SetCell(1, 0, "A2");
  table.SetCell(0, 3, "B1");
  table.SetCell(1, 3, "B2");
  form.CheckBox1->setChecked(false);
  form.SetActivePage(2);
  form.N4->trigger();
  // Every empty row goes in one run; the freed rows come back at the bottom.
  QCOMPARE(Rows(table), QStringList({"A1|A2", "B1|B2", "|", "|"}));
  QCOMPARE(form.StringGrid1->Model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("B1"));
  // Run while the file-name column is ticked: the last column is left out.
  table.SetCell(1, 2, "f");
  form.CheckBox1->setChecked(true);
  form.N4->trigger();
  QCOMPARE(Rows(table), QStringList({"A1|A2", "B1|B2", "|", "|"}));
  QCOMPARE(form.PageControl1->currentIndex(), 2);
}

void CollectTest::Clear() {
  Scratch scratch;
  scratch.Write("a.csv", "1,2,3,4,5\n6,7\n8\n");
  app::TForm1& form = scratch.Form();
  form.ComboBox1->setCurrentIndex(0);
  Collect(form);
  form.N5->trigger();
  merge::ResultTable& table = form.Table();
  QCOMPARE(table.ColCount(), 2);
  QCOMPARE(table.RowCount(), 2);
  QCOMPARE(Rows(table), QStringList({"|", "|"}));
  QCOMPARE(form.StringGrid1->Model()->rowCount(), 1);
  QCOMPARE(form.StringGrid1->Model()->columnCount(), 1);
  QCOMPARE(form.StringGrid1->CornerText(), QString());
  QCOMPARE(form.Button1->text(), QStringLiteral("Сохранить"));
}

void CollectTest::CollectAgain() {
  Scratch scratch;
  scratch.Write("a.csv", "1,2\n");
  scratch.Write("b.csv", "3,4\n");
  app::TForm1& form = scratch.Form();
  Collect(form); // side by side
  form.CheckBox1->setChecked(false);
  form.Button1->setText(QStringLiteral("Далее"));
  form.N6->trigger();
  // Stacked from row 0 on a cleared table, whatever the direction says.
  QCOMPARE(Rows(form.Table()), QStringList({"1|2", "|", "3|4"}));
  QCOMPARE(form.Button1->text(), QStringLiteral("Сохранить"));
  QCOMPARE(form.StringGrid1->Model()->rowCount(), 2);
}

void CollectTest::Add() {
  Scratch scratch;
  scratch.Write("a.csv", "1,2\n");
  app::TForm1& form = scratch.Form();
  form.CheckBox1->setChecked(false);
  merge::ResultTable& table = form.Table();
  table.SetRowCount(3);
  table.SetCell(0, 0, "x");
  form.Button1->setText(QStringLiteral("Собрать"));
  form.N7->trigger();
  QCOMPARE(Rows(table), QStringList({"x|", "|", "|", "1|2"}));
  QCOMPARE(form.Button1->text(), QStringLiteral("Сохранить"));
  QCOMPARE(form.StringGrid1->Model()->rowCount(), 3);
  QCOMPARE(form.StringGrid1->Model()->headerData(2, Qt::Vertical).toString(), QStringLiteral("1"));
}

void CollectTest::ProgressShownAfterHalfSecond() {
  QWidget window;
  app::WorkProgress progress(&window);
  progress.FileStarted("/data/big.csv", 64 << 20);
  progress.BytesDone(8 << 20);
  QVERIFY(!progress.DialogShown());
  QThread::msleep(app::WorkProgress::kShowAfterMs + 50);
  progress.BytesDone(9 << 20); // too soon after the last look: nothing happens
  QVERIFY(!progress.DialogShown());
  progress.BytesDone(13 << 20);
  QVERIFY(progress.DialogShown());
  auto* dialog = window.findChild<QProgressDialog*>(QStringLiteral("WorkProgress"));
  QVERIFY(dialog != nullptr);
  QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
  QVERIFY(dialog->labelText().contains(QStringLiteral("big.csv")));
  QVERIFY(!progress.CancelRequested());
  auto* cancel = dialog->findChild<QPushButton*>();
  QVERIFY(cancel != nullptr);
  cancel->click();
  QVERIFY(progress.CancelRequested());
}

namespace {

// `rows` lines "<i>,<1000 times letter>".
QByteArray LongRows(int rows, char letter) {
  QByteArray bytes;
  for (int i = 0; i < rows; ++i)
    bytes += QByteArray::number(i) + ',' + QByteArray(1000, letter) + '\n';
  return bytes;
}

} // namespace

// A collect that runs out of memory in a child process under an
// address-space limit: the window goes on, the box says "Out of memory.",
// and the grid shows every row whole, either as it was or as the second
// file made it, and no row more.
void CollectTest::OutOfMemoryShowsTheBoxAndKeepsWholeRows() {
#ifdef KLEITAB_UNDER_ASAN
  QSKIP("AddressSanitizer reserves terabytes of address space: no address-space limit under it");
#endif
  constexpr int kOldRows = 30000;
  // A collect again clears the table first: the new rows need more than
  // the limit and what the old rows give back.
  constexpr int kNewRows = 80000;
  Scratch scratch;
  scratch.Write("a.csv", LongRows(kOldRows, 'a'));
  scratch.Write("b.csv", LongRows(kNewRows, 'b'));
  app::TForm1& form = scratch.Form();
  form.ComboBox1->setCurrentIndex(0); // stacked
  form.CheckBox1->setChecked(false);  // no name cells
  QListWidget* check_list = form.FilePage1->CheckListBox1();
  QCOMPARE(check_list->count(), 2);
  check_list->item(1)->setCheckState(Qt::Unchecked);
  Collect(form);
  QCOMPARE(form.Table().RowCount(), kOldRows);
  // Collected again from b.csv alone, into the cleared table.
  check_list->item(0)->setCheckState(Qt::Unchecked);
  check_list->item(1)->setCheckState(Qt::Checked);
  ErrorRecorder errors;
  const int status = testing_support::InChild([&] {
    ::alarm(120); // a hang fails instead of waiting for the runner's timeout
    if (!testing_support::LimitAddressSpace(std::int64_t{24} << 20))
      return 10;
    Collect(form);
    if (errors.Texts() != QStringList{QStringLiteral("Out of memory.")})
      return 11;
    const merge::ResultTable& table = form.Table();
    const std::string old_text(1000, 'a');
    const std::string new_text(1000, 'b');
    int fresh = 0;
    while (fresh < kNewRows && table.GetCell(1, fresh) == new_text)
      ++fresh;
    if (fresh == 0 || fresh == kNewRows)
      return 12;
    for (int row = fresh; row < kOldRows; ++row) {
      if (!table.GetCell(1, row).empty())
        return 13;
    }
    const int rows = fresh;
    if (table.RowCount() != rows || !table.GetCell(0, rows).empty())
      return 14;
    app::GridModel* model = form.StringGrid1->Model();
    if (model->rowCount() != rows - 1 ||
        model->index(rows - 2, 0).data().toString() !=
            QString::fromStdString(rows == fresh ? new_text : old_text))
      return 15;
    return 0;
  });
  QCOMPARE(status, 0);
}

// Millions of short rows under limits from tight to ample: wherever the
// memory runs out, in the table or in what the grid keeps for its rows, the
// window goes on with "Out of memory." or every row, and the grid shows what
// the table holds.
void CollectTest::OutOfMemoryInTheGridNeverCrashes() {
#ifdef KLEITAB_UNDER_ASAN
  QSKIP("AddressSanitizer reserves terabytes of address space: no address-space limit under it");
#endif
  constexpr int kRows = 4000000;
  QByteArray rows;
  for (int row = 0; row < kRows; ++row)
    rows += QByteArray::number(row) + ",a\n";
  Scratch scratch;
  scratch.Write("r.csv", rows);
  app::TForm1& form = scratch.Form();
  form.ComboBox1->setCurrentIndex(0);
  form.CheckBox1->setChecked(false);
  ErrorRecorder errors;
  for (int headroom_mib = 40; headroom_mib <= 130; headroom_mib += 6) {
    const int status = testing_support::InChild([&] {
      ::alarm(60);
      if (!testing_support::LimitAddressSpace(std::int64_t{headroom_mib} << 20))
        return 10;
      Collect(form);
      const int table_rows = form.Table().RowCount();
      if (form.StringGrid1->Model()->rowCount() != table_rows - 1)
        return 11;
      if (errors.Texts().isEmpty())
        return table_rows == kRows ? 0 : 12;
      return errors.Texts() == QStringList{QStringLiteral("Out of memory.")} ? 0 : 13;
    });
    QCOMPARE(status, 0);
  }
}

namespace {

// What the process holds, free heap memory given back first: what is left
// is what the program keeps, not what the allocator happens to cache.
std::int64_t ResidentBytes() {
  ::malloc_trim(0);
  QFile statm(QStringLiteral("/proc/self/statm"));
  if (!statm.open(QIODevice::ReadOnly))
    return -1;
  const QList<QByteArray> fields = statm.readAll().split(' ');
  return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : -1;
}

} // namespace

// An unattended soak of the window's whole job for a bounded time
// (KLEITAB_SOAK_SECONDS, 20 s by default): collect, edit, save, clear, over
// and over; what the process holds must not grow from round to round.
void CollectTest::RoundsOfCollectEditSaveClearKeepMemorySteady() {
#ifdef KLEITAB_UNDER_ASAN
  QSKIP("AddressSanitizer keeps freed memory in quarantine: resident memory says nothing there");
#endif
  const int seconds = qEnvironmentVariableIsSet("KLEITAB_SOAK_SECONDS")
                          ? qEnvironmentVariableIntValue("KLEITAB_SOAK_SECONDS")
                          : 20;
  const app::OpenRequest previous_open = app::SetOpenRequest([](const QString&) {});
  Scratch scratch;
  scratch.Write("a.csv", LongRows(20000, 'a'));
  scratch.Write("b.csv", LongRows(5000, 'b'));
  app::TForm1& form = scratch.Form();
  form.Edit1->setText(scratch.Dir() + QStringLiteral("/out.txt"));
  ErrorRecorder errors;
  QElapsedTimer clock;
  clock.start();
  // The table reclaims the space of cleared rows once 64 MiB of it piled
  // up, so memory rises and falls in cycles of a few rounds: the peak of
  // the later rounds is held against the peak of rounds 10 to 19.
  constexpr int kSettledRound = 10;
  std::int64_t first_peak = 0;
  std::int64_t later_peak = 0;
  int round = 0;
  for (; round < 3 * kSettledRound || clock.elapsed() < seconds * 1000; ++round) {
    form.ComboBox1->setCurrentIndex(round % 2); // stacked, then side by side
    Collect(form);
    app::GridModel* model = form.StringGrid1->Model();
    QVERIFY(model->setData(model->index(round % 100, 0), QStringLiteral("правка %1").arg(round)));
    form.Button2Click();
    QVERIFY(QFileInfo(scratch.Dir() + QStringLiteral("/out.txt")).size() > 20000 * 1000);
    form.N5Click(); // "Очистить"
    QCOMPARE(errors.Texts(), QStringList());
    // Undo keeps the old tables on purpose, up to its budget: what is kept
    // besides them is what must not grow.
    form.History().Forget();
    std::int64_t& peak = round < 2 * kSettledRound ? first_peak : later_peak;
    if (round >= kSettledRound)
      peak = std::max(peak, ResidentBytes());
  }
  qInfo("%d rounds; peak resident memory %lld KiB in rounds %d-%d, %lld KiB after", round,
        static_cast<long long>(first_peak >> 10), kSettledRound, 2 * kSettledRound - 1,
        static_cast<long long>(later_peak >> 10));
  QVERIFY2(later_peak < first_peak + (std::int64_t{16} << 20),
           "resident memory grows from round to round");
  app::SetOpenRequest(previous_open);
}

QTEST_MAIN(CollectTest)
#include "collect_test.moc"
