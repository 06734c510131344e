// Saving from the page "Сохранить" and init.ini: Button2Click in its order,
// Button4Click with the save dialog, and the settings restored at start.

#include "tests/support/window_test_support.h"

#include "app/desktop_seams.h"
#include "app/file_page.h"
#include "app/unit1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using app_test::ErrorRecorder;
using app_test::Scratch;

namespace {

// Records the desktop's open requests and answers the save dialog.
class DesktopRecorder {
public:
  DesktopRecorder() {
    previous_open_ = app::SetOpenRequest([this](const QString& name) { opened.append(name); });
    previous_dialog_ = app::SetSaveDialog([this](QWidget*, const QString& start) {
      dialog_starts.append(start);
      return dialog_answer;
    });
  }
  ~DesktopRecorder() {
    app::SetOpenRequest(previous_open_);
    app::SetSaveDialog(previous_dialog_);
  }

  QStringList opened;
  QStringList dialog_starts;
  QString dialog_answer;

private:
  app::OpenRequest previous_open_;
  app::SaveDialog previous_dialog_;
};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

const QByteArray kComboBox1Stacked = "\xD1\xEE\xE1\xF0\xE0\xF2\xFC \xEF\xEE \xE2\xE5\xF0\xF2\xE8"
                                     "\xEA\xE0\xEB\xE8 "; // "Собрать по вертикали "

} // namespace

class SaveTest : public QObject {
  Q_OBJECT
private slots:
  void SaveWritesOpensAndStoresInThatOrder();
  void FailedSaveOpensNothingAndStoresNothing();
  void ChooseFileWithTheDialog();
  void SettingsComeBackAtTheNextStart();
  void MissingStoredDirectoryIsReportedAndTheRestApplied();
  void OutputIsListedButNotTicked();
  void OutputNamedAnotherWayIsNotTicked();
  void NamesTheCodePageCannotHoldComeBack();
  void StartedInsideADirectoryNotNamedInUtf8();
  void LineBreakInTheNameIsRefused();
  void StartDirectoryRemovedWritesNothing();
};

void SaveTest::SaveWritesOpensAndStoresInThatOrder() {
  Scratch scratch;
  DesktopRecorder desktop;
  ErrorRecorder errors;
  app::TForm1& form = scratch.Form();
  form.Table().SetCell(0, 0, "a");
  form.Table().SetCell(1, 0, "b,c");
  form.Table().SetCell(1, 1, "d");
  form.CheckBox5->setChecked(true);
  form.CheckBox3->setChecked(false); // opening does not depend on it
  form.Button2Click();
  QCOMPARE(errors.Texts(), QStringList());
  QCOMPARE(ReadAll(scratch.Path("1.csv")), QByteArray("a,b#44c,\r\n,d,\r\n"));
  QCOMPARE(desktop.opened, QStringList{"1.csv"});
  const QByteArray ini = ReadAll(scratch.Path("init.ini"));
  QVERIFY2(ini.startsWith("Edit1=1.csv\r\nEdit2=,\r\nEdit3=4\r\nCheckBox1=TRUE\r\n"),
           ini.constData());
  QVERIFY(ini.contains("\r\nCheckBox3=FALSE\r\n"));
  QVERIFY(ini.contains("\r\nCheckBox5=TRUE\r\n"));
  QVERIFY(ini.endsWith("\r\ndirect=" + QFile::encodeName(QDir::currentPath()) + "\r\n"));
}

void SaveTest::FailedSaveOpensNothingAndStoresNothing() {
  Scratch scratch;
  DesktopRecorder desktop;
  ErrorRecorder errors;
  app::TForm1& form = scratch.Form();

  form.Edit1->setText(QString());
  form.Button2Click();
  form.Edit1->setText(QStringLiteral("no/such/dir/out.csv"));
  form.Button2Click();

  scratch.Write("held.csv", "old");
  const int fd = ::open(QFile::encodeName(scratch.Path("held.csv")).constData(), O_RDWR);
  QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0);
  form.Edit1->setText(QStringLiteral("held.csv"));
  form.Button2Click();
  ::close(fd);

  QCOMPARE(errors.Texts(),
           (QStringList{"Invalid filename.", "Invalid filename.", "I/O error 32."}));
  // Each box names the file concerned by its full name; an empty name names none.
  QCOMPARE(errors.files,
           (QStringList{QString(), scratch.Path("no/such/dir/out.csv"), scratch.Path("held.csv")}));
  QCOMPARE(ReadAll(scratch.Path("held.csv")), QByteArray("old"));
  QCOMPARE(desktop.opened, QStringList());
  QVERIFY(!QFile::exists(scratch.Path("init.ini")));
}

void SaveTest::ChooseFileWithTheDialog() {
  Scratch scratch;
  DesktopRecorder desktop;
  app::TForm1& form = scratch.Form();
  QDir(scratch.Dir()).mkdir("out");
  const QString chosen = scratch.Path("out/result.csv");

  desktop.dialog_answer = QString(); // cancelled
  form.Button4Click();
  QCOMPARE(form.Edit1->text(), QStringLiteral("1.csv"));

  desktop.dialog_answer = chosen;
  form.Button4Click();
  QCOMPARE(form.Edit1->text(), chosen);
  QCOMPARE(QDir::currentPath(), scratch.Path("out"));
  form.Button4Click();
  QCOMPARE(desktop.dialog_starts, (QStringList{QString(), QString(), chosen}));

  // A relative name typed afterwards lands in the chosen folder.
  form.Edit1->setText(QStringLiteral("rel.csv"));
  form.Button2Click();
  QVERIFY(QFile::exists(scratch.Path("out/rel.csv")));
  QVERIFY2(QFile::exists(scratch.Path("init.ini")), "init.ini stays in the start directory");
}

void SaveTest::SettingsComeBackAtTheNextStart() {
  Scratch scratch;
  DesktopRecorder desktop;
  QDir(scratch.Dir()).mkdir("src");
  scratch.Write("src/one.csv", "1\n");
  {
    app::TForm1& form = scratch.Form();
    form.FilePage1->SetShownDirectory(QFile::encodeName(scratch.Path("src")).toStdString());
    form.Edit1->setText(QStringLiteral("итог.csv"));
    form.Edit2->setCurrentText(QStringLiteral("="));
    form.Edit3->setText(QStringLiteral(" 7 строк"));
    form.CheckBox1->setChecked(false);
    form.CheckBox6->setChecked(true);
    form.ComboBox1->setCurrentIndex(0);
    form.ComboBox2->setCurrentText(QStringLiteral("        (Tab)"));
    form.Button2Click();
  }
  const QByteArray ini = ReadAll(scratch.Path("init.ini"));
  QVERIFY(ini.contains("\r\nEdit2==\r\n"));
  QVERIFY(ini.contains("\r\nComboBox1=" + kComboBox1Stacked + "\r\n"));

  scratch.Reset(); // a new window in the same start directory
  app::TForm1& again = scratch.Form();
  QCOMPARE(again.Edit1->text(), QStringLiteral("итог.csv"));
  QCOMPARE(again.Edit2->currentText(), QStringLiteral("="));
  QCOMPARE(again.Edit2->currentIndex(), 1); // no item says "=": the selection stays
  QCOMPARE(again.Edit3->text(), QStringLiteral(" 7 строк"));
  QVERIFY(!again.CheckBox1->isChecked());
  QVERIFY(again.CheckBox6->isChecked());
  QCOMPARE(again.ComboBox1->currentIndex(), 0);
  QCOMPARE(again.ComboBox2->currentText(), QStringLiteral("        (Tab)"));
  QCOMPARE(again.ComboBox2->currentIndex(), 3);
  QCOMPARE(QDir::currentPath(), scratch.Path("src"));
  // The relative output name was written into the directory shown then.
  QCOMPARE(again.FilePage1->CheckListBox1()->count(), 2);
  QCOMPARE(again.FilePage1->CheckListBox1()->item(1)->text(), QStringLiteral("итог.csv"));
}

void SaveTest::MissingStoredDirectoryIsReportedAndTheRestApplied() {
  Scratch scratch;
  ErrorRecorder errors;
  scratch.Write("init.ini", "Edit1=x.csv\r\nCheckBox3=true\r\nComboBox1=nothing\r\n"
                            "direct=/no/such/place\r\n");
  app::TForm1& form = scratch.Form();
  QCOMPARE(errors.Texts(), QStringList{"Invalid filename."});
  QCOMPARE(errors.files, QStringList{"/no/such/place"});
  QCOMPARE(form.Edit1->text(), QStringLiteral("x.csv"));
  QVERIFY2(!form.CheckBox3->isChecked(), "only TRUE ticks");
  QVERIFY2(!form.CheckBox1->isChecked(), "a missing name unticks");
  QCOMPARE(form.Edit2->currentText(), QString());
  QCOMPARE(form.ComboBox1->currentIndex(), -1);
  QCOMPARE(QDir::currentPath(), scratch.Dir());
}

namespace {

QStringList Ticked(const app::TForm1& form) {
  QStringList names;
  const QListWidget* list = form.FilePage1->CheckListBox1();
  for (int i = 0; i < list->count(); ++i) {
    if (list->item(i)->checkState() == Qt::Checked)
      names.append(list->item(i)->text());
  }
  return names;
}

} // namespace

void SaveTest::OutputIsListedButNotTicked() {
  // Saved with the default name into the directory shown, the output is in
  // the check list at the next start, and the next collect does not take it
  // back in: the rows are not doubled.
  Scratch scratch;
  DesktopRecorder desktop;
  ErrorRecorder errors;
  QDir(scratch.Dir()).mkdir("src");
  scratch.Write("src/a.csv", "1,2\n");
  scratch.Write("src/b.csv", "3,4\n");
  {
    app::TForm1& form = scratch.Form();
    app_test::ShowDirectory(*form.FilePage1, scratch.Path("src"));
    form.SetActivePage(1);
    form.Button1Click();
    form.Button2Click();
    QVERIFY(QFile::exists(scratch.Path("src/1.csv")));
  }
  scratch.Reset();
  app::TForm1& again = scratch.Form();
  QCOMPARE(again.FilePage1->CheckListBox1()->count(), 3);
  QCOMPARE(again.FilePage1->CheckListBox1()->item(0)->text(), QStringLiteral("1.csv"));
  QCOMPARE(Ticked(again), (QStringList{"a.csv", "b.csv"}));
  const int rows_before = again.Table().RowCount();
  again.SetActivePage(1);
  again.Button1Click();
  QCOMPARE(again.Table().RowCount(), rows_before);
  QCOMPARE(errors.Texts(), QStringList());
  // "Выделить все" still ticks everything the user asks for.
  again.FilePage1->N1Click();
  QCOMPARE(Ticked(again).size(), 3);
}

void SaveTest::OutputNamedAnotherWayIsNotTicked() {
  // The output is the file saving would write, whatever name leads to it: a
  // full path, a path through "..", a symbolic link. A file of the same bare
  // name elsewhere is not the output.
  Scratch scratch;
  QDir(scratch.Dir()).mkdir("src");
  QDir(scratch.Dir()).mkdir("elsewhere");
  scratch.Write("src/a.csv", "1\n");
  scratch.Write("src/out.csv", "old output\n");
  scratch.Write("elsewhere/a.csv", "1\n");
  QVERIFY(QFile::link(scratch.Path("src/out.csv"), scratch.Path("link-to-out")));
  app::TForm1& form = scratch.Form();
  const struct {
    QString output;
    QStringList ticked;
  } cases[] = {
      {scratch.Path("src/out.csv"), {"a.csv"}},
      {QStringLiteral("../src/out.csv"), {"a.csv"}},
      {QStringLiteral("../link-to-out"), {"a.csv"}},
      {scratch.Path("elsewhere/a.csv"), {"a.csv", "out.csv"}},
      {QStringLiteral("missing.csv"), {"a.csv", "out.csv"}},
      {QString(), {"a.csv", "out.csv"}},
  };
  for (const auto& c : cases) {
    form.Edit1->setText(c.output);
    app_test::ShowDirectory(*form.FilePage1, scratch.Path("elsewhere"));
    app_test::ShowDirectory(*form.FilePage1, scratch.Path("src"));
    QVERIFY2(Ticked(form) == c.ticked, qPrintable(c.output));
  }
}

// Save to "résumé.csv" from a directory "données", start again, save again:
// the same file in the same directory (neither name fits Windows-1251).
void SaveTest::NamesTheCodePageCannotHoldComeBack() {
  Scratch scratch;
  DesktopRecorder desktop;
  ErrorRecorder errors;
  const QString shown = scratch.Path(QStringLiteral("données"));
  QVERIFY(QDir().mkpath(shown));
  const QByteArray raw = QFile::encodeName(scratch.Dir()) + "/raw_\xCF\xF0";
  QVERIFY(::mkdir(raw.constData(), 0755) == 0);
  {
    app::TForm1& form = scratch.Form();
    form.FilePage1->SetShownDirectory(QFile::encodeName(shown).toStdString());
    form.Edit1->setText(QStringLiteral("résumé.csv"));
    form.Button2Click();
  }
  QVERIFY(QFile::exists(shown + QStringLiteral("/résumé.csv")));
  scratch.Reset();
  {
    app::TForm1& again = scratch.Form();
    QCOMPARE(errors.Texts(), QStringList());
    QCOMPARE(again.Edit1->text(), QStringLiteral("résumé.csv"));
    QCOMPARE(again.FilePage1->ShownDirectory(), QFile::encodeName(shown).toStdString());
    // Now from a directory whose name is no UTF-8.
    again.FilePage1->SetShownDirectory(raw.toStdString());
    again.Button2Click();
  }
  QVERIFY(::access((raw + "/r\xC3\xA9sum\xC3\xA9.csv").constData(), F_OK) == 0);
  scratch.Reset();
  app::TForm1& third = scratch.Form();
  QCOMPARE(errors.Texts(), QStringList());
  QCOMPARE(third.FilePage1->ShownDirectory(), raw.toStdString());
  QVERIFY(::chdir(QFile::encodeName(scratch.Dir()).constData()) == 0);
  QVERIFY(std::system(("rm -rf '" + raw + "'").constData()) == 0); // a name Qt cannot remove
}

// init.ini lives in the start directory by its real bytes.
void SaveTest::StartedInsideADirectoryNotNamedInUtf8() {
  Scratch scratch;
  DesktopRecorder desktop;
  ErrorRecorder errors;
  const QByteArray raw = QFile::encodeName(scratch.Dir()) + "/raw_\xCF\xF0";
  QVERIFY(::mkdir(raw.constData(), 0755) == 0);
  QVERIFY(::chdir(raw.constData()) == 0);
  {
    app::TForm1 form;
    QCOMPARE(form.StartDirectory(), raw.toStdString());
    form.Button2Click();
    QCOMPARE(errors.Texts(), QStringList());
  }
  QVERIFY(::access((raw + "/init.ini").constData(), F_OK) == 0);
  QVERIFY(::access((raw + "/1.csv").constData(), F_OK) == 0);
  QVERIFY(::chdir(QFile::encodeName(scratch.Dir()).constData()) == 0);
  QVERIFY(std::system(("rm -rf '" + raw + "'").constData()) == 0); // a name Qt cannot remove
}

void SaveTest::LineBreakInTheNameIsRefused() {
  Scratch scratch;
  DesktopRecorder desktop;
  ErrorRecorder errors;
  app::TForm1& form = scratch.Form();
  for (const QString& name : {QStringLiteral("report.csv\n"), QStringLiteral("report.csv\r"),
                              QStringLiteral("a\r\nb.csv")}) {
    form.Edit1->setText(name);
    form.Button2Click();
  }
  QCOMPARE(errors.Texts(), QStringList(3, QStringLiteral("Invalid filename.")));
  QCOMPARE(QDir(scratch.Dir()).entryList(QDir::Files | QDir::Hidden), QStringList());
  QVERIFY(desktop.opened.isEmpty());
}

// Started in a directory that was removed: reported, and nothing written
// anywhere (no init.ini, no output in "/") until a directory is entered.
void SaveTest::StartDirectoryRemovedWritesNothing() {
  Scratch scratch;
  DesktopRecorder desktop;
  ErrorRecorder errors;
  const QString gone = scratch.Path(QStringLiteral("gone"));
  QVERIFY(QDir().mkpath(gone));
  QVERIFY(QDir::setCurrent(gone));
  QVERIFY(QDir().rmdir(gone));
  const bool root_had_output = QFile::exists(QStringLiteral("/kleitab-test-out.csv"));
  {
    app::TForm1 form;
    QCOMPARE(errors.Texts(),
             QStringList{QString::fromLatin1(app::TForm1::kStartDirectoryGone) + QLatin1Char('.')});
    form.Edit1->setText(QStringLiteral("kleitab-test-out.csv"));
    form.Button2Click();
    QCOMPARE(errors.Texts().size(), 2);
    QCOMPARE(QFile::exists(QStringLiteral("/kleitab-test-out.csv")), root_had_output);
    QVERIFY(!QFile::exists(QStringLiteral("/init.ini")) || !root_had_output);
    // A directory entered: the output is written there; the settings are
    // still not stored anywhere.
    form.FilePage1->SetShownDirectory(QFile::encodeName(scratch.Dir()).toStdString());
    form.Button2Click();
    QVERIFY(QFile::exists(scratch.Path(QStringLiteral("kleitab-test-out.csv"))));
    QVERIFY(!QFile::exists(scratch.Path(QStringLiteral("init.ini"))));
    QCOMPARE(errors.Texts().size(), 3);
    QCOMPARE(errors.Texts().last(), errors.Texts().first());
  }
}

QTEST_MAIN(SaveTest)
#include "save_test.moc"
