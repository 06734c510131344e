// Quoted fields, one header row and columns matched by header names, from
// the window: the options on "Настройка" and "Сохранить", what they enable,
// the warning about a quote left open, and init.ini.

#include "tests/support/window_test_support.h"

#include "app/desktop_seams.h"
#include "app/notice_box.h"
#include "app/unit1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using app_test::ErrorRecorder;
using app_test::NoticeRecorder;
using app_test::Scratch;

namespace {

class NoOpening {
public:
  NoOpening() : previous_(app::SetOpenRequest([](const QString&) {})) {}
  ~NoOpening() { app::SetOpenRequest(previous_); }

private:
  app::OpenRequest previous_;
};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The visible table, row by row, cells (Windows-1251 bytes) joined by "|".
QList<QByteArray> Rows(merge::ResultTable& table) {
  QList<QByteArray> rows;
  for (int row = 0; row < table.RowCount(); ++row) {
    QByteArray line;
    for (int col = 0; col < table.ColCount(); ++col) {
      const std::string_view cell = table.GetCell(col, row);
      line += (col > 0 ? "|" : "") + QByteArray(cell.data(), static_cast<qsizetype>(cell.size()));
    }
    rows.append(line);
  }
  return rows;
}

void Collect(app::TForm1& form) {
  form.SetActivePage(1);
  form.Button1->setText(QStringLiteral("Собрать"));
  form.Button1Click();
}

} // namespace

class QuotesTest : public QObject {
  Q_OBJECT
private slots:
  void OptionsStartOffAndMatchingNeedsStackedWithHeader();
  void QuotingOnSavingDisablesTheEscape();
  void FolderOfExportsCollectedSavedAndRemembered();
  void QuoteLeftOpenIsWarnedAbout();
  void DisabledMatchingCollectsAgainUnmatched();
};

void QuotesTest::OptionsStartOffAndMatchingNeedsStackedWithHeader() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  for (QCheckBox* box : {form.CheckBox7, form.CheckBox8, form.CheckBox9, form.CheckBox10})
    QVERIFY(!box->isChecked());
  QCOMPARE(form.CheckBox7->text(), QStringLiteral("Учитывать кавычки"));
  QCOMPARE(form.CheckBox8->text(), QStringLiteral("Первая строка — заголовок"));
  QCOMPARE(form.CheckBox9->text(), QStringLiteral("Сопоставлять столбцы по заголовкам"));
  QCOMPARE(form.CheckBox10->text(), QStringLiteral("Кавычки при сохранении"));
  QVERIFY(!form.CheckBox9->isEnabled());
  form.CheckBox8->setChecked(true); // side by side is the start value
  QVERIFY(!form.CheckBox9->isEnabled());
  form.ComboBox1->setCurrentIndex(0);
  QVERIFY(form.CheckBox9->isEnabled());
  form.CheckBox8->setChecked(false);
  QVERIFY(!form.CheckBox9->isEnabled());
}

void QuotesTest::QuotingOnSavingDisablesTheEscape() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  QVERIFY(form.CheckBox5->isEnabled());
  form.CheckBox10->setChecked(true);
  QVERIFY(!form.CheckBox5->isEnabled());
  QVERIFY(!form.Label11->isEnabled());
  form.CheckBox10->setChecked(false);
  QVERIFY(form.CheckBox5->isEnabled());
}

void QuotesTest::FolderOfExportsCollectedSavedAndRemembered() {
  Scratch scratch;
  NoOpening no_opening;
  ErrorRecorder errors;
  scratch.Write("2023.csv", "id,name,note\r\n1,\"Smith, John\",\"said \"\"hi\"\"\r\nbye\"\r\n");
  scratch.Write("2024.csv", "note,id,name,vat\r\n,2,Ann,5\r\n");
  {
    app::TForm1& form = scratch.Form();
    form.ComboBox1->setCurrentIndex(0);
    form.CheckBox2->setChecked(true);
    form.CheckBox7->setChecked(true);
    form.CheckBox8->setChecked(true);
    form.CheckBox9->setChecked(true);
    Collect(form);
    QCOMPARE(errors.Texts(), QStringList());
    QCOMPARE(Rows(form.Table()),
             (QList<QByteArray>{"id|name|note|vat|\xC8\xEC\xFF \xF4\xE0\xE9\xEB\xE0",
                                "1|Smith, John|said \"hi\"\r\nbye||2023", "2|Ann||5|2024"}));
    form.CheckBox5->setChecked(true); // quoting wins
    form.CheckBox10->setChecked(true);
    form.Edit1->setText(QStringLiteral("out.csv"));
    form.Button2Click();
    QCOMPARE(errors.Texts(), QStringList());
    QCOMPARE(ReadAll(scratch.Path("out.csv")),
             QByteArray("id,name,note,vat,\xC8\xEC\xFF \xF4\xE0\xE9\xEB\xE0\r\n"
                        "1,\"Smith, John\",\"said \"\"hi\"\"\r\nbye\",,2023\r\n"
                        "2,Ann,,5,2024\r\n"));
    const QByteArray ini = ReadAll(scratch.Path("init.ini"));
    QVERIFY2(ini.endsWith("\r\nCheckBox7=TRUE\r\nCheckBox8=TRUE\r\nCheckBox9=TRUE\r\n"
                          "CheckBox10=TRUE\r\n"),
             ini.constData());
  }
  scratch.Reset();
  app::TForm1& again = scratch.Form();
  QVERIFY(again.CheckBox7->isChecked() && again.CheckBox8->isChecked());
  QVERIFY(again.CheckBox9->isChecked() && again.CheckBox9->isEnabled());
  QVERIFY(again.CheckBox10->isChecked() && !again.CheckBox5->isEnabled());
}

void QuotesTest::QuoteLeftOpenIsWarnedAbout() {
  Scratch scratch;
  NoticeRecorder notices;
  scratch.Write("a.csv", "1,\"open\n2,3\n");
  scratch.Write("b.csv", "4,5\n");
  app::TForm1& form = scratch.Form();
  Collect(form);
  QCOMPARE(notices.texts, QStringList()); // quotes off: nothing to say
  form.CheckBox7->setChecked(true);
  Collect(form);
  QCOMPARE(notices.texts, QStringList{app::OpenQuoteNotice(1)});
  QVERIFY(notices.texts[0].contains(QStringLiteral("файлов: 1")));
}

void QuotesTest::DisabledMatchingCollectsAgainUnmatched() {
  Scratch scratch;
  ErrorRecorder errors;
  scratch.Write("a.csv", "x,y\r\n1,2\r\n");
  scratch.Write("b.csv", "y,x\r\n3,4\r\n");
  app::TForm1& form = scratch.Form();
  form.CheckBox1->setChecked(false);
  form.CheckBox8->setChecked(true);
  form.CheckBox9->setChecked(true);
  form.ComboBox1->setCurrentIndex(1); // side by side: the matching is shown disabled
  form.N6Click();                     // stacks, by position
  QCOMPARE(errors.Texts(), QStringList());
  QCOMPARE(Rows(form.Table()), (QList<QByteArray>{"x|y", "1|2", "3|4"}));
}

QTEST_MAIN(QuotesTest)
#include "quotes_test.moc"
