// Telling the user where the work stands: the progress dialog's one bar over
// a whole collect ("файл k из n") and its percentage while saving, the status
// line under the pages (the table's size, the file saved, a collect cancelled
// part way), and a column fitted to its text by a double click on its edge.

#include "tests/support/window_test_support.h"

#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/status_texts.h"
#include "app/unit1.h"
#include "app/work_progress.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

using app_test::ErrorRecorder;
using app_test::Scratch;

namespace {

constexpr std::int64_t kMiB = std::int64_t{1} << 20;

QString BarText(const QProgressDialog* dialog) {
  return dialog->findChild<QProgressBar*>()->text();
}

} // namespace

class StatusTest : public QObject {
  Q_OBJECT
private slots:
  void CollectBarRunsOverTheWholeJob();
  void SaveBarShowsAPercentage();
  void CountTexts_data();
  void CountTexts();
  void StatusAfterCollectEditAndSave();
  void CancelledCollectSaysItIsPartial();
  void DoubleClickOnAnEdgeFitsTheColumnToTheRowsInView();
};

void StatusTest::CollectBarRunsOverTheWholeJob() {
  // Three files of 10 MiB: the bar follows the bytes of all of them and
  // never starts again; the label counts the files and names the current one.
  app::WorkProgress progress(nullptr, app::WorkProgress::kRead, 0);
  progress.JobStarted(3, 30 * kMiB);
  progress.FileStarted("/data/part_01.csv", 10 * kMiB);
  progress.BytesDone(5 * kMiB);
  QVERIFY(progress.DialogShown());
  const QProgressDialog* dialog = progress.Dialog();
  QCOMPARE(dialog->labelText(), QStringLiteral("файл 1 из 3\npart_01.csv"));
  QCOMPARE(BarText(dialog), QStringLiteral("16%"));
  int last_value = dialog->value();
  for (int file = 2; file <= 3; ++file) {
    progress.FileStarted(QStringLiteral("/data/part_0%1.csv").arg(file).toStdString(), 10 * kMiB);
    for (std::int64_t read = 5; read <= 10; read += 5) {
      progress.BytesDone((file - 1) * 10 * kMiB + read * kMiB);
      QVERIFY(dialog->value() > last_value);
      last_value = dialog->value();
    }
    QCOMPARE(dialog->labelText(), QStringLiteral("файл %1 из 3\npart_0%1.csv").arg(file));
  }
  QCOMPARE(BarText(dialog), QStringLiteral("100%"));
  QCOMPARE(progress.FilesStarted(), 3);
}

void StatusTest::SaveBarShowsAPercentage() {
  app::WorkProgress progress(nullptr, app::WorkProgress::kWritten, 0);
  progress.FileStarted("/data/1.csv", -1);
  progress.PartsDone(250, 1000);
  progress.BytesDone(8 * kMiB);
  QVERIFY(progress.DialogShown());
  QCOMPARE(BarText(progress.Dialog()), QStringLiteral("25%"));
  QVERIFY(progress.Dialog()->labelText().startsWith(QStringLiteral("1.csv\n")));
}

void StatusTest::CountTexts_data() {
  QTest::addColumn<qint64>("n");
  QTest::addColumn<QString>("text");
  QTest::newRow("1") << qint64(1) << "1 строка";
  QTest::newRow("2") << qint64(2) << "2 строки";
  QTest::newRow("5") << qint64(5) << "5 строк";
  QTest::newRow("11") << qint64(11) << "11 строк";
  QTest::newRow("12") << qint64(12) << "12 строк";
  QTest::newRow("21") << qint64(21) << "21 строка";
  QTest::newRow("104") << qint64(104) << "104 строки";
  QTest::newRow("1000000") << qint64(1000000) << QStringLiteral("1\u00a0000\u00a0000 строк");
}

void StatusTest::CountTexts() {
  QFETCH(qint64, n);
  QFETCH(QString, text);
  QCOMPARE(app::CountText(n, "строка", "строки", "строк"), text);
  QCOMPARE(app::DataSizeText(13002342), QStringLiteral("12,4 МБ"));
  QCOMPARE(app::DataSizeText(3), QStringLiteral("3 байта"));
}

void StatusTest::StatusAfterCollectEditAndSave() {
  Scratch scratch;
  ErrorRecorder errors;
  scratch.Write("a.csv", "1,2\n3,4\n");
  scratch.Write("b.csv", "5,6\n");
  app::TForm1& form = scratch.Form();
  form.CheckBox1->setChecked(false);
  form.ComboBox1->setCurrentIndex(0);
  form.SetActivePage(1);
  form.Button1Click();
  QCOMPARE(form.Table().RowCount(), 3);
  QCOMPARE(form.Table().ColCount(), 2);
  QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("Таблица: 3 строки × 2 столбца"));
  // An edit shows the size too, also after a save said something else.
  app::GridModel* model = form.StringGrid1->Model();
  form.Edit1->setText(QStringLiteral("out.txt"));
  form.Button2Click();
  QCOMPARE(errors.Texts(), QStringList());
  const qint64 size = QFileInfo(scratch.Path("out.txt")).size();
  QCOMPARE(form.StatusBar1->currentMessage(),
           QStringLiteral("Сохранено: %1 (%2 байт)")
               .arg(QDir::toNativeSeparators(scratch.Path("out.txt")))
               .arg(size));
  QVERIFY(model->setData(model->index(0, 0), QStringLiteral("x")));
  QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("Таблица: 3 строки × 2 столбца"));
  form.N5Click();
  QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("Таблица: 2 строки × 2 столбца"));
}

void StatusTest::CancelledCollectSaysItIsPartial() {
  // The user cancels while the second of three files is read (the dialog
  // shows at once here, and the first chance to cancel comes 4 MiB in).
  Scratch scratch;
  ErrorRecorder errors;
  scratch.Write("a.csv", "first\n");
  scratch.Write("b.csv", QByteArray("y,z\n").repeated(9 * kMiB / 4));
  scratch.Write("c.csv", "last\n");
  app::TForm1& form = scratch.Form();
  form.ComboBox1->setCurrentIndex(0);
  app::WorkProgress::SetDefaultShowAfter(0);
  // Whenever events are let through, look for the dialog; cancel once seen.
  bool cancelled = false;
  QTimer cancel;
  QObject::connect(&cancel, &QTimer::timeout, [&] {
    auto* dialog = form.findChild<QProgressDialog*>(QStringLiteral("WorkProgress"));
    if (dialog && !cancelled) {
      dialog->cancel();
      cancelled = true;
    }
  });
  cancel.start(0);
  form.SetActivePage(1);
  form.Button1Click();
  app::WorkProgress::SetDefaultShowAfter(app::WorkProgress::kShowAfterMs);
  QVERIFY(cancelled);
  QCOMPARE(errors.Texts(), QStringList()); // a cancel shows no error box
  QCOMPARE(form.StatusBar1->currentMessage(),
           QStringLiteral("Сбор отменён: в таблице 1 из 3 файлов и начало «b.csv»"));
  QCOMPARE(form.Button1->text(), QStringLiteral("Собрать")); // still this page's button
  QCOMPARE(form.Table().GetCell(0, 0), std::string_view("first"));
}

void StatusTest::DoubleClickOnAnEdgeFitsTheColumnToTheRowsInView() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  merge::ResultTable& table = form.Table();
  table.SetColCount(4);
  table.SetRowCount(400);
  const std::string in_view = "a text wider than a column's default width";
  const std::string out_of_view(400, 'W');
  table.SetCell(1, 3, in_view);
  table.SetCell(1, 390, out_of_view);
  form.resize(640, 480);
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  form.SetActivePage(2);
  QApplication::processEvents();
  app::GridView* grid = form.StringGrid1;
  const int column = grid->Model()->TableCol(0) == 1 ? 0 : 1; // table column 1
  QHeaderView* header = grid->horizontalHeader();
  const int edge = header->sectionViewportPosition(column) + header->sectionSize(column) - 1;
  QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(edge, header->height() / 2));
  const QFontMetrics metrics(grid->font());
  const int width = header->sectionSize(column);
  QVERIFY2(width >= metrics.horizontalAdvance(QString::fromStdString(in_view)),
           qPrintable(QString::number(width)));
  QVERIFY2(width < metrics.horizontalAdvance(QString::fromStdString(out_of_view)),
           qPrintable(QString::number(width)));
}

QTEST_MAIN(StatusTest)
#include "status_test.moc"
