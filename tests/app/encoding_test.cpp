// The encodings in the window: the sample folder collected per file and shown
// in the grid, typing in both table encodings, the warnings after a collect
// and a save, the saved bytes, and init.ini before and after.

#include "tests/support/window_test_support.h"

#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/notice_box.h"
#include "app/unit1.h"
#include "tests/samples/encoding_samples.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

using app_test::ErrorRecorder;
using app_test::NoticeRecorder;
using app_test::Scratch;

namespace {

// The folder of the issue, with only the given files.
void WriteSamples(const Scratch& scratch, bool with_broken) {
  scratch.Write("excel.csv", QByteArray::fromStdString(samples::kExcel));
  scratch.Write("web.csv", QByteArray::fromStdString(samples::kWeb));
  scratch.Write("old.csv", QByteArray::fromStdString(samples::kOld));
  scratch.Write(QString::fromStdString(samples::kOddName),
                QByteArray::fromStdString(samples::kOddNameContent));
  if (with_broken)
    scratch.Write("broken.csv", QByteArray::fromStdString(samples::kBroken));
}

void Collect(app::TForm1& form, int encoding_item) {
  form.Edit2->setEditText(QStringLiteral(";"));
  form.ComboBox1->setCurrentIndex(0);
  form.ComboBox3->setCurrentIndex(encoding_item);
  form.SetActivePage(1);
  form.Button1Click();
}

// The grid's text of every table row: the header cell (row 0 is the header),
// then the model's cells, joined by "|".
QStringList GridRows(app::TForm1& form) {
  auto* model = static_cast<app::GridModel*>(form.StringGrid1->model());
  QStringList rows;
  QStringList header;
  for (int col = 0; col < model->columnCount(); ++col)
    header.append(model->headerData(col, Qt::Horizontal).toString());
  rows.append(model->CornerText() + "|" + header.join('|'));
  for (int row = 0; row < model->rowCount(); ++row) {
    QStringList cells{model->headerData(row, Qt::Vertical).toString()};
    for (int col = 0; col < model->columnCount(); ++col)
      cells.append(model->index(row, col).data().toString());
    rows.append(cells.join('|'));
  }
  return rows;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray Cp1251(const char* bytes) {
  return QByteArray(bytes);
}

} // namespace

class EncodingTest : public QObject {
  Q_OBJECT
private slots:
  void MixedFolderShownPerFile();
  void TypingFollowsTheTableEncoding();
  void InvalidUtf8IsToldAfterTheCollect();
  void SavedBytesInBothEncodingsAndTheMessage();
  void DefaultKeepsTodaysBytes();
  void SettingsBeforeAndAfter();
};

void EncodingTest::MixedFolderShownPerFile() {
  Scratch scratch;
  WriteSamples(scratch, false);
  ErrorRecorder errors;
  NoticeRecorder notices;
  app::TForm1& form = scratch.Form();
  Collect(form, 2);
  QCOMPARE(errors.Texts(), QStringList());
  QCOMPARE(notices.texts, QStringList());
  const QStringList rows = GridRows(form);
  // The check list sorts the names: excel, naïve-Ω, old, web.
  QCOMPARE(rows.mid(0, 9), (QStringList{
                               "Фамилия|Город|excel",
                               "Émile|Zürich|excel",
                               "Иванов|Москва|excel",
                               "z|1|naïve-Ω",
                               "Сидоров|Тверь|old",
                               "Ёж|№5|old",
                               "id|name|web",
                               "1|Ωmega|web",
                               "2|Пётр|web",
                           }));
}

void EncodingTest::TypingFollowsTheTableEncoding() {
  Scratch scratch;
  WriteSamples(scratch, false);
  NoticeRecorder notices;
  app::TForm1& form = scratch.Form();
  auto* model = static_cast<app::GridModel*>(form.StringGrid1->model());

  // A fresh table is Windows-1251: a character without a byte becomes "?".
  QVERIFY(model->setData(model->index(0, 0), QStringLiteral("Ω ж")));
  QCOMPARE(QByteArray::fromStdString(std::string(form.Table().GetCell(1, 1))), Cp1251("? \xE6"));

  form.Table().ClearAll();
  Collect(form, 1); // UTF-8
  QVERIFY(model->setData(model->index(0, 0), QStringLiteral("Ω ж")));
  QCOMPARE(QByteArray::fromStdString(std::string(form.Table().GetCell(1, 1))), QByteArray("Ω ж"));
  QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("Ω ж"));
}

void EncodingTest::InvalidUtf8IsToldAfterTheCollect() {
  Scratch scratch;
  // The stray bytes in a data row, where the grid can edit them.
  scratch.Write("broken.csv", QByteArray::fromStdString("h;h\n" + samples::kBroken));
  NoticeRecorder notices;
  app::TForm1& form = scratch.Form();
  Collect(form, 1);
  QCOMPARE(notices.texts.size(), 1);
  QVERIFY2(notices.texts[0].startsWith(QStringLiteral("Файлов не в кодировке UTF-8: 1.")),
           qPrintable(notices.texts[0]));
  QVERIFY(notices.texts[0].contains(QDir::toNativeSeparators(scratch.Path("broken.csv"))));
  // Its bytes are kept, shown as replacement characters, and not replaced
  // by taking the shown text back.
  auto* model = static_cast<app::GridModel*>(form.StringGrid1->model());
  QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("\uFFFD\uFFFD"));
  model->setData(model->index(0, 0), model->index(0, 0).data());
  QCOMPARE(QByteArray::fromStdString(std::string(form.Table().GetCell(1, 1))),
           QByteArray("\xFF\xFE"));
}

void EncodingTest::SavedBytesInBothEncodingsAndTheMessage() {
  Scratch scratch;
  scratch.Write("web.csv", QByteArray::fromStdString(samples::kWeb));
  NoticeRecorder notices;
  ErrorRecorder errors;
  app::TForm1& form = scratch.Form();
  form.CheckBox1->setChecked(false);
  Collect(form, 2);
  form.ComboBox2->setEditText(QStringLiteral(";"));

  form.CheckBox4->setChecked(true);
  QVERIFY(form.CheckBox11->isEnabled());
  form.CheckBox11->setChecked(true);
  form.Button2Click();
  QCOMPARE(ReadAll(scratch.Path("1.csv")), QByteArray("\xEF\xBB\xBFid;name;\r\n1;Ωmega;\r\n"
                                                      "2;Пётр;\r\n"));
  form.CheckBox11->setChecked(false);
  form.Button2Click();
  QCOMPARE(ReadAll(scratch.Path("1.csv")), QByteArray("id;name;\r\n1;Ωmega;\r\n2;Пётр;\r\n"));
  QCOMPARE(notices.texts, QStringList());

  form.CheckBox4->setChecked(false);
  QVERIFY(!form.CheckBox11->isEnabled());
  form.Button2Click();
  QCOMPARE(ReadAll(scratch.Path("1.csv")),
           Cp1251("id;name;\r\n1;?mega;\r\n2;\xCF\xB8\xF2\xF0;\r\n"));
  QCOMPARE(notices.texts, QStringList{QStringLiteral(
                              "Символов, которых нет в кодировке Windows-1251: 1; в файл "
                              "они записаны как «?». Первый из них: строка 2, столбец 2.")});
  QCOMPARE(errors.Texts(), QStringList());
}

void EncodingTest::DefaultKeepsTodaysBytes() {
  Scratch scratch;
  scratch.Write("excel.csv", QByteArray::fromStdString(samples::kExcel));
  NoticeRecorder notices;
  app::TForm1& form = scratch.Form();
  form.CheckBox1->setChecked(false);
  Collect(form, 0);
  // The mark and the UTF-8 bytes are shown as Windows-1251 letters.
  QVERIFY(GridRows(form)[0].startsWith(QStringLiteral("п»їР¤Р°")));
  form.ComboBox2->setEditText(QStringLiteral(";"));
  form.Button2Click();
  QByteArray expected = QByteArray::fromStdString(samples::kExcel);
  expected.replace("\r\n", ";\r\n");
  QCOMPARE(ReadAll(scratch.Path("1.csv")), expected);
  QCOMPARE(notices.texts, QStringList());
  const QByteArray ini = ReadAll(scratch.Path("init.ini"));
  QCOMPARE(ini.count("\r\n"), 12);
  QVERIFY(!ini.contains("ComboBox3"));
}

void EncodingTest::SettingsBeforeAndAfter() {
  Scratch scratch;
  {
    app::TForm1& form = scratch.Form();
    QCOMPARE(form.ComboBox3->currentIndex(), 0);
    QVERIFY(!form.CheckBox11->isChecked());
    form.Button2Click();
    const QByteArray before = ReadAll(scratch.Path("init.ini"));
    QCOMPARE(before.count("\r\n"), 12);
    form.ComboBox3->setCurrentIndex(2);
    form.CheckBox4->setChecked(true);
    form.CheckBox11->setChecked(true);
    form.Button2Click();
    const QByteArray after = ReadAll(scratch.Path("init.ini"));
    QVERIFY(after.endsWith(before.mid(before.indexOf("CheckBox5=")) +
                           Cp1251("ComboBox3=\xCE\xEF\xF0\xE5\xE4\xE5\xEB\xFF\xF2\xFC \xE4\xEB\xFF "
                                  "\xEA\xE0\xE6\xE4\xEE\xE3\xEE \xF4\xE0\xE9\xEB\xE0\r\n"
                                  "CheckBox11=TRUE\r\n")));
  }
  scratch.Reset();
  app::TForm1& again = scratch.Form();
  QCOMPARE(again.ComboBox3->currentIndex(), 2);
  QVERIFY(again.CheckBox11->isChecked());
  QVERIFY(again.CheckBox11->isEnabled());
}

QTEST_MAIN(EncodingTest)
#include "encoding_test.moc"
