// The reading options found from the ticked files, the question before a
// collect whose options split nothing, and the preview of a ticked file.

#include "tests/support/window_test_support.h"

#include "app/preview_pane.h"
#include "app/question_box.h"
#include "app/unit1.h"
#include "platform/codepage.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using app_test::Scratch;

namespace {

// Answers every question with `answer` and keeps the questions asked.
class Answering {
public:
  explicit Answering(app::Answer answer)
      : previous_(app::SetChoiceAsker([this, answer](const QString&, const QString& text) {
          asked.append(text);
          return answer;
        })) {}
  ~Answering() { app::SetChoiceAsker(previous_); }
  QStringList asked;

private:
  app::ChoiceAsker previous_;
};

// Monthly exports in Windows-1251, ";" between fields, decimal commas.
void WriteExports(const Scratch& scratch) {
  scratch.Write("a.csv", QByteArray("\xCC\xE5\xF1\xFF\xF6;\xD1\xF3\xEC\xEC\xE0\r\n"
                                    "\xDF\xED\xE2;1200,50\r\n\xD4\xE5\xE2;980,00\r\n"));
  scratch.Write("b.csv", QByteArray("\xCC\xE5\xF1\xFF\xF6;\xD1\xF3\xEC\xEC\xE0\r\n"
                                    "\xCC\xE0\xF0;1500,25\r\n"));
}

void ShowSettings(app::TForm1& form) {
  form.show(); // the question is put only to someone who sees the window
  form.SetActivePage(app::TForm1::kPageSettings);
  form.Button1->setText(QStringLiteral("Собрать"));
  QCoreApplication::processEvents(); // the preview follows the page
}

} // namespace

class ReadingOptionsTest : public QObject {
  Q_OBJECT
private slots:
  void DetectSetsTheOptionsAndSaysFromHowManyFiles() {
    Scratch scratch;
    WriteExports(scratch);
    app::TForm1& form = scratch.Form();
    ShowSettings(form);
    form.Preview1->Button5->click();
    QCOMPARE(form.Edit2->currentText(), QStringLiteral(";"));
    QCOMPARE(form.ComboBox3->currentText(), QStringLiteral("Windows-1251"));
    QVERIFY(form.CheckBox8->isChecked());
    QVERIFY(!form.CheckBox7->isChecked());
    QVERIFY2(form.Preview1->Label14->text().contains(QStringLiteral("2 из 2")),
             qPrintable(form.Preview1->Label14->text()));
  }

  void CollectWithOptionsThatSplitNothingAsksFirst() {
    Scratch scratch;
    WriteExports(scratch);
    {
      app::TForm1& form = scratch.Form();
      Answering cancel(app::Answer::kCancel);
      ShowSettings(form);
      form.Button1Click();
      QCOMPARE(cancel.asked.size(), 1);
      QCOMPARE(form.PageControl1->currentIndex(), int(app::TForm1::kPageSettings));
      QCOMPARE(form.Table().RowCount(), 2); // nothing collected
    }
    scratch.Reset();
    app::TForm1& form = scratch.Form();
    Answering yes(app::Answer::kYes);
    form.CheckBox1->setChecked(false);
    ShowSettings(form);
    form.Button1Click();
    QCOMPARE(yes.asked.size(), 1);
    QCOMPARE(form.PageControl1->currentIndex(), int(app::TForm1::kPageTable));
    const std::string_view cell = form.Table().GetCell(1, 1);
    QCOMPARE(QByteArray(cell.data(), qsizetype(cell.size())), QByteArray("1200,50"));
    // Options that split the files alike collect without a question.
    form.SetActivePage(app::TForm1::kPageSettings);
    form.Button1->setText(QStringLiteral("Собрать"));
    form.Button1Click();
    QCOMPARE(yes.asked.size(), 1);
  }

  // The preview holds the cells the collect of the same file places.
  void PreviewShowsWhatTheCollectPlaces() {
    Scratch scratch;
    WriteExports(scratch);
    app::TForm1& form = scratch.Form();
    form.Edit2->setEditText(QStringLiteral(";"));
    form.CheckBox1->setChecked(false);
    form.ComboBox1->setCurrentIndex(0); // stacked
    form.CheckBox8->setChecked(true);
    form.FilePage1->CheckListBox1()->setCurrentRow(1);
    ShowSettings(form);
    const QAbstractItemModel* preview = form.Preview1->StringGrid2->model();
    QCOMPARE(preview->rowCount(), 2);
    QVERIFY(form.Preview1->Label13->text().contains(QStringLiteral("b.csv")));
    form.FilePage1->CheckListBox1()->item(0)->setCheckState(Qt::Unchecked);
    form.Button1Click();
    merge::ResultTable& table = form.Table();
    for (int r = 0; r < preview->rowCount(); ++r)
      for (int c = 0; c < preview->columnCount(); ++c) {
        const std::string_view cell = table.GetCell(c, r);
        QCOMPARE(preview->index(r, c).data().toString(),
                 QString::fromStdU16String(platform::Cp1251ToUtf16(cell)));
      }
    // An option change shows at once; a file that cannot be read says why.
    form.SetActivePage(app::TForm1::kPageSettings);
    form.Edit2->setEditText(QStringLiteral(","));
    QCoreApplication::processEvents();
    QCOMPARE(preview->index(1, 0).data().toString(), QStringLiteral("Мар;1500"));
    QFile::remove(scratch.Path("b.csv"));
    form.CheckBox7->setChecked(true);
    QCoreApplication::processEvents();
    QVERIFY2(form.Preview1->Label13->text().contains(QStringLiteral("File not found")),
             qPrintable(form.Preview1->Label13->text()));
  }
};

QTEST_MAIN(ReadingOptionsTest)
#include "reading_options_test.moc"
