// The command line against the window: for random folders and choices, the
// file `kleitab -o` writes equals, byte for byte, the file the window saves
// after "Собрать" and "Сохранить" with the same choices, stacked and side by
// side, streamed and through the table.

#include "tests/support/window_test_support.h"

#include "app/desktop_seams.h"
#include "app/unit1.h"
#include "cli/batch_run.h"
#include "platform/codepage.h"
#include "tests/cli/random_folder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using app_test::ErrorRecorder;
using app_test::Scratch;
using testing_support::RandomChoices;
using testing_support::RandomFolder;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString Widget(const std::string& cp1251_or_ascii) {
  return QString::fromStdU16String(platform::Cp1251ToUtf16(cp1251_or_ascii));
}

// Sets the window's widgets as the command line's choices say, then collects
// and saves to `output`.
void SaveFromWindow(app::TForm1& form, const RandomChoices& c, const QString& output) {
  form.Edit2->setEditText(Widget(RandomChoices::WidgetText(c.delimiter)));
  form.CheckBox1->setChecked(c.file_name != "none");
  form.CheckBox2->setChecked(c.file_name == "name");
  form.ComboBox1->setCurrentIndex(c.side_by_side ? 1 : 0);
  form.CheckBox6->setChecked(!c.skip.empty());
  form.Edit3->setText(QString::fromStdString(c.skip));
  form.ComboBox2->setEditText(Widget(RandomChoices::WidgetText(c.output_delimiter)));
  form.CheckBox5->setChecked(c.escape);
  form.CheckBox4->setChecked(c.utf8);
  form.Edit1->setText(output);
  form.SetActivePage(1);
  form.Button1Click(); // "Собрать"
  form.Button2Click(); // "Сохранить"
}

} // namespace

class CliEqualityTest : public QObject {
  Q_OBJECT
private slots:
  void CommandLineWritesWhatTheWindowSaves();
};

void CliEqualityTest::CommandLineWritesWhatTheWindowSaves() {
  const app::OpenRequest previous_open = app::SetOpenRequest([](const QString&) {});
  RandomFolder random(20261208);
  int compared_side = 0;
  int compared_streamed = 0;
  for (int round = 0; round < 40; ++round) {
    Scratch scratch;
    ErrorRecorder errors;
    QTemporaryDir outputs;
    random.Fill(scratch.Dir().toStdString(), 6);
    RandomChoices choices = random.Choices();
    if (round == 0) // a folder full of everything, streamed
      choices.side_by_side = choices.in_memory = false;
    const QString window_file = outputs.filePath(QStringLiteral("window.csv"));
    const QString cli_file = outputs.filePath(QStringLiteral("cli.csv"));
    SaveFromWindow(scratch.Form(), choices, window_file);
    QCOMPARE(errors.Texts(), QStringList());

    std::vector<std::string> args = {"-o", cli_file.toStdString()};
    for (const std::string& a : choices.Arguments())
      args.push_back(a);
    args.push_back(scratch.Dir().toStdString());
    std::FILE* err = std::tmpfile();
    const int status = cli::RunBatch(args, err, false);
    const bool no_sources = scratch.Form().FilePage1->Count() == 0;
    if (no_sources) { // the window saves its empty table; the command line refuses
      QCOMPARE(status, 1);
      QVERIFY(!QFile::exists(cli_file));
    } else {
      QCOMPARE(status, 0);
      QCOMPARE(ReadAll(cli_file), ReadAll(window_file));
      compared_side += choices.side_by_side;
      compared_streamed += !choices.side_by_side && !choices.in_memory;
    }
    std::fclose(err);
  }
  QVERIFY(compared_side >= 5);
  QVERIFY(compared_streamed >= 10);
  app::SetOpenRequest(previous_open);
}

QTEST_MAIN(CliEqualityTest)
#include "cli_equality_test.moc"
