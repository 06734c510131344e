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
#include <QDateTime>
#include <QElapsedTimer>
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

// What the rounds compared.
struct Compared {
  int side_by_side = 0;
  int streamed = 0;
};

// One random folder and choice set: the window's file against the command
// line's, and for a stacked merge both the streamed and the in-memory one.
void CompareOnce(RandomFolder& random, bool stacked_streamed, Compared& compared) {
  Scratch scratch;
  ErrorRecorder errors;
  QTemporaryDir outputs;
  random.Fill(scratch.Dir().toStdString(), 6);
  RandomChoices choices = random.Choices();
  if (stacked_streamed) // a folder full of everything, streamed
    choices.side_by_side = choices.in_memory = false;
  const QString window_file = outputs.filePath(QStringLiteral("window.csv"));
  SaveFromWindow(scratch.Form(), choices, window_file);
  QCOMPARE(errors.Texts(), QStringList());
  const bool no_sources = scratch.Form().FilePage1->Count() == 0;
  for (const bool in_memory : {choices.in_memory, !choices.in_memory}) {
    if (in_memory != choices.in_memory && choices.side_by_side)
      break; // side by side has one way only
    choices.in_memory = in_memory;
    const QString cli_file =
        outputs.filePath(in_memory ? QStringLiteral("memory.csv") : QStringLiteral("streamed.csv"));
    std::vector<std::string> args = {"-o", cli_file.toStdString()};
    for (const std::string& a : choices.Arguments())
      args.push_back(a);
    args.push_back(scratch.Dir().toStdString());
    std::FILE* err = std::tmpfile();
    const int status = cli::RunBatch(args, err, false);
    std::fclose(err);
    if (no_sources) { // the window saves its empty table; the command line refuses
      QCOMPARE(status, 1);
      QVERIFY(!QFile::exists(cli_file));
    } else {
      QCOMPARE(status, 0);
      QCOMPARE(ReadAll(cli_file), ReadAll(window_file));
      compared.side_by_side += choices.side_by_side;
      compared.streamed += !choices.side_by_side && !in_memory;
    }
  }
}

} // namespace

class CliEqualityTest : public QObject {
  Q_OBJECT
private slots:
  void CommandLineWritesWhatTheWindowSaves();
  void SoakForABoundedTime();
};

void CliEqualityTest::CommandLineWritesWhatTheWindowSaves() {
  const app::OpenRequest previous_open = app::SetOpenRequest([](const QString&) {});
  RandomFolder random(20261208);
  Compared compared;
  for (int round = 0; round < 40 && !QTest::currentTestFailed(); ++round)
    CompareOnce(random, round == 0, compared);
  QVERIFY(compared.side_by_side >= 5);
  QVERIFY(compared.streamed >= 10);
  app::SetOpenRequest(previous_open);
}

// New folders every run, for KLEITAB_SOAK_SECONDS (20 s by default); the
// seed is printed so that a failure can be run again.
void CliEqualityTest::SoakForABoundedTime() {
  const int seconds = qEnvironmentVariableIsSet("KLEITAB_SOAK_SECONDS")
                          ? qEnvironmentVariableIntValue("KLEITAB_SOAK_SECONDS")
                          : 20;
  const app::OpenRequest previous_open = app::SetOpenRequest([](const QString&) {});
  const auto seed = static_cast<std::uint32_t>(QDateTime::currentMSecsSinceEpoch());
  qInfo("seed %u", seed);
  RandomFolder random(seed);
  Compared compared;
  QElapsedTimer clock;
  clock.start();
  int rounds = 0;
  for (; clock.elapsed() < seconds * 1000 && !QTest::currentTestFailed(); ++rounds)
    CompareOnce(random, false, compared);
  qInfo("%d rounds: %d side by side, %d streamed", rounds, compared.side_by_side,
        compared.streamed);
  app::SetOpenRequest(previous_open);
}

QTEST_MAIN(CliEqualityTest)
#include "cli_equality_test.moc"
