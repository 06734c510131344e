// The wizard: Button1 and the user's page changes, the widgets' start values,
// and the error box's text and title.

#include "tests/support/window_test_support.h"

#include "app/error_box.h"
#include "app/file_page.h"
#include "app/unit1.h"
#include "platform/errors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

using app_test::Scratch;

class WizardTest : public QObject {
  Q_OBJECT
private slots:
  void StartState();
  void Widgets();
  void Button1Steps_data();
  void Button1Steps();
  void UserSelectsPage_data();
  void UserSelectsPage();
  void ArrowKeysOnTheTabRow();
  void PageSetFromCodeRaisesNothing();
  void CtrlTabWraps_data();
  void CtrlTabWraps();
  void Button3Closes();
  void ErrorBoxText_data();
  void ErrorBoxText();
  void ProgramTitle_data();
  void ProgramTitle();
  void GuardShowsErrorsButNotCancelling();
};

void WizardTest::StartState() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  QCOMPARE(form.windowTitle(), QStringLiteral("Клейтаб 1.10"));
  QCOMPARE(form.PageControl1->currentIndex(), 0);
  QCOMPARE(form.Button1->text(), QStringLiteral("Далее"));
  QVERIFY(!form.Button1->isHidden());
  QCOMPARE(form.Button3->text(), QStringLiteral("Выход"));
  const QStringList tabs = {"Выбрать файлы", "Настройка", "Искомая таблица", "Сохранить",
                            "О программе"};
  QCOMPARE(form.PageControl1->count(), tabs.size());
  for (int i = 0; i < tabs.size(); ++i) {
    QCOMPARE(form.PageControl1->tabText(i), tabs[i]);
    QCOMPARE(form.PageControl1->widget(i)->objectName(), QStringLiteral("TabSheet%1").arg(i + 1));
  }
}

void WizardTest::Widgets() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  const QStringList delimiters = {";", ",", ":", "        (Tab)", "}", "{", ")", "(", "|"};
  for (const char* name : {"Edit2", "ComboBox2"}) {
    auto* box = form.findChild<QComboBox*>(QString::fromLatin1(name));
    QVERIFY2(box != nullptr, name);
    QVERIFY(box->isEditable());
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
      items.append(box->itemText(i));
    QCOMPARE(items, delimiters);
    QCOMPARE(box->currentIndex(), 1);
    QCOMPARE(box->currentText(), QStringLiteral(","));
  }
  auto* combo1 = form.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
  QVERIFY(!combo1->isEditable());
  QCOMPARE(combo1->itemText(0), QStringLiteral("Собрать по вертикали "));
  QCOMPARE(combo1->currentText(), QStringLiteral("Собрать по горизонтали "));

  const struct {
    const char* name;
    const char* caption;
    bool ticked;
  } boxes[] = {{"CheckBox1", "Добавить имя файла ", true},
               {"CheckBox2", "Только имя файла", true},
               {"CheckBox6", "Убрать первые строки", false},
               {"CheckBox3", "Открыть файл после сохранения", true},
               {"CheckBox4", "Использовать UTF8", false},
               {"CheckBox5", "Экранировать разделитель при сохранении ", false}};
  for (const auto& expected : boxes) {
    auto* box = form.findChild<QCheckBox*>(QString::fromLatin1(expected.name));
    QVERIFY2(box != nullptr, expected.name);
    QCOMPARE(box->text(), QString::fromUtf8(expected.caption));
    QCOMPARE(box->isChecked(), expected.ticked);
  }
  QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("Edit3"))->text(), QStringLiteral("4"));
  QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral("1.csv"));
  QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Button2"))->text(),
           QStringLiteral("Сохранить"));
  QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Button4"))->text(),
           QStringLiteral("Выбрать"));
  QVERIFY(form.findChild<QTableView*>(QStringLiteral("StringGrid1")) != nullptr);
  QVERIFY(form.findChild<QListWidget*>(QStringLiteral("FileListBox1")) != nullptr);
  QVERIFY(form.findChild<QListWidget*>(QStringLiteral("CheckListBox1")) != nullptr);
  for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7",
                           "Label8", "Label9", "Label10", "Label11"})
    QVERIFY2(form.findChild<QWidget*>(QString::fromLatin1(name)) != nullptr, name);

  // Tab order on the page "Настройка".
  QWidget* expected_order[] = {form.CheckBox1, form.CheckBox2, form.ComboBox1,
                               form.Edit2,     form.CheckBox6, form.Edit3};
  for (int i = 0; i + 1 < 6; ++i) {
    QWidget* next = expected_order[i]->nextInFocusChain();
    while (next != expected_order[i + 1] &&
           (next->focusPolicy() == Qt::NoFocus || expected_order[i]->isAncestorOf(next)))
      next = next->nextInFocusChain();
    QCOMPARE(next, expected_order[i + 1]);
  }
}

// Pages: 0 files, 1 settings, 2 table, 3 save, 4 about.
void WizardTest::Button1Steps_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<bool>("with_file");
  QTest::addColumn<int>("expected_page");
  QTest::addColumn<QString>("expected_caption");
  QTest::addColumn<bool>("expected_visible");
  QTest::newRow("files") << 0 << "Далее" << false << 1 << "Собрать" << true;
  QTest::newRow("settings, empty list") << 1 << "Собрать" << false << 2 << "Собрать" << true;
  QTest::newRow("settings, one file") << 1 << "Собрать" << true << 2 << "Сохранить" << true;
  QTest::newRow("table") << 2 << "Сохранить" << false << 3 << "Сохранить" << false;
  QTest::newRow("save") << 3 << "Сохранить" << false << 3 << "Сохранить" << false;
  QTest::newRow("about") << 4 << "Далее" << false << 4 << "Далее" << true;
}

void WizardTest::Button1Steps() {
  QFETCH(int, page);
  QFETCH(QString, caption);
  QFETCH(bool, with_file);
  QFETCH(int, expected_page);
  QFETCH(QString, expected_caption);
  QFETCH(bool, expected_visible);
  Scratch scratch;
  if (with_file)
    scratch.Write("a.csv", "1,2\n");
  app::TForm1& form = scratch.Form();
  form.ComboBox1->setCurrentIndex(0);
  form.SetActivePage(page);
  form.Button1->setText(caption);
  form.Button1->setVisible(page != 3);
  form.Button1Click();
  QCOMPARE(form.PageControl1->currentIndex(), expected_page);
  QCOMPARE(form.Button1->text(), expected_caption);
  QCOMPARE(!form.Button1->isHidden(), expected_visible);
  QCOMPARE(form.Table().GetCell(0, 0) == "1", with_file);
}

void WizardTest::UserSelectsPage_data() {
  QTest::addColumn<int>("from");
  QTest::addColumn<int>("to");
  QTest::addColumn<QString>("expected_caption");
  QTest::addColumn<bool>("expected_visible");
  QTest::newRow("to files") << 2 << 0 << "Далее" << true;
  QTest::newRow("to settings") << 0 << 1 << "Собрать" << true;
  QTest::newRow("to table") << 0 << 2 << "Сохранить" << true;
  QTest::newRow("to save") << 1 << 3 << "Собрать" << false;
  QTest::newRow("to about from table") << 2 << 4 << "Сохранить" << true;
  QTest::newRow("to about from save") << 3 << 4 << "Далее" << true;
  QTest::newRow("from save to settings") << 3 << 1 << "Собрать" << true;
}

void WizardTest::UserSelectsPage() {
  QFETCH(int, from);
  QFETCH(int, to);
  QFETCH(QString, expected_caption);
  QFETCH(bool, expected_visible);
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  // Reach the start page the way the user would, then click the tab.
  QTabBar* tabs = form.PageControl1->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(from).center());
  QCOMPARE(form.PageControl1->currentIndex(), from);
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(to).center());
  QCOMPARE(form.PageControl1->currentIndex(), to);
  QCOMPARE(form.Button1->text(), expected_caption);
  QCOMPARE(!form.Button1->isHidden(), expected_visible);
}

void WizardTest::ArrowKeysOnTheTabRow() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QTabBar* tabs = form.PageControl1->tabBar();
  QTest::keyClick(tabs, Qt::Key_Right);
  QCOMPARE(form.PageControl1->currentIndex(), 1);
  QCOMPARE(form.Button1->text(), QStringLiteral("Собрать"));
  QTest::keyClick(tabs, Qt::Key_Right);
  QTest::keyClick(tabs, Qt::Key_Right);
  QCOMPARE(form.PageControl1->currentIndex(), 3);
  QVERIFY(form.Button1->isHidden());
  QTest::keyClick(tabs, Qt::Key_Left);
  QCOMPARE(form.Button1->text(), QStringLiteral("Сохранить"));
  QVERIFY(!form.Button1->isHidden());
}

void WizardTest::PageSetFromCodeRaisesNothing() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  form.SetActivePage(3);
  QCOMPARE(form.Button1->text(), QStringLiteral("Далее"));
  QVERIFY(!form.Button1->isHidden());
}

void WizardTest::CtrlTabWraps_data() {
  QTest::addColumn<int>("from");
  QTest::addColumn<bool>("backwards");
  QTest::addColumn<QString>("focus");
  QTest::addColumn<int>("expected_page");
  QTest::addColumn<QString>("expected_caption");
  QTest::addColumn<bool>("expected_visible");
  QTest::newRow("about to files") << 4 << false << "" << 0 << "Далее" << true;
  QTest::newRow("files back to about") << 0 << true << "" << 4 << "Далее" << true;
  QTest::newRow("from the grid") << 2 << false << "StringGrid1" << 3 << "Далее" << false;
  QTest::newRow("back from an edit") << 1 << true << "Edit3" << 0 << "Далее" << true;
  QTest::newRow("from a combo box") << 1 << false << "Edit2" << 2 << "Сохранить" << true;
}

void WizardTest::CtrlTabWraps() {
  QFETCH(int, from);
  QFETCH(bool, backwards);
  QFETCH(QString, focus);
  QFETCH(int, expected_page);
  QFETCH(QString, expected_caption);
  QFETCH(bool, expected_visible);
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  form.show();
  form.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&form));
  form.SetActivePage(from);
  QWidget* target = focus.isEmpty() ? static_cast<QWidget*>(form.PageControl1->tabBar())
                                    : form.findChild<QWidget*>(focus);
  QVERIFY(target != nullptr);
  target->setFocus();
  QTRY_VERIFY(QApplication::focusWidget() == target ||
              target->isAncestorOf(QApplication::focusWidget()));
  target = QApplication::focusWidget();
  if (backwards)
    QTest::keyClick(target, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  else
    QTest::keyClick(target, Qt::Key_Tab, Qt::ControlModifier);
  QCOMPARE(form.PageControl1->currentIndex(), expected_page);
  QCOMPARE(form.Button1->text(), expected_caption);
  QCOMPARE(!form.Button1->isHidden(), expected_visible);
}

void WizardTest::Button3Closes() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  form.Button3->click();
  QVERIFY(!form.isVisible());
}

void WizardTest::ErrorBoxText_data() {
  QTest::addColumn<QByteArray>("message");
  QTest::addColumn<QString>("expected");
  QTest::newRow("digit") << QByteArray("I/O error 32") << "I/O error 32.";
  QTest::newRow("letter") << QByteArray("File not found") << "File not found.";
  QTest::newRow("full stop kept") << QByteArray("Stream write error.") << "Stream write error.";
  QTest::newRow("comma sorts below") << QByteArray("a,") << "a,";
  QTest::newRow("dash sorts below") << QByteArray("a-") << "a-";
  QTest::newRow("slash sorts above") << QByteArray("a/") << "a/.";
  QTest::newRow("space sorts below") << QByteArray("a ") << "a ";
  QTest::newRow("empty") << QByteArray() << "";
  QTest::newRow("quote sorts below") << QByteArray("file \"a\"") << "file \"a\"";
  QTest::newRow("utf-8 name") << QByteArray("/tmp/\xd0\xb0") // Cyrillic "а"
                              << "/tmp/а.";
  QTest::newRow("windows-1251") << QByteArray("\xc0\xc1") << "АБ.";
}

void WizardTest::ErrorBoxText() {
  QFETCH(QByteArray, message);
  QFETCH(QString, expected);
  QCOMPARE(app::ErrorBoxText(message.toStdString()), expected);
}

void WizardTest::ProgramTitle_data() {
  QTest::addColumn<QString>("path");
  QTest::addColumn<QString>("expected");
  QTest::newRow("plain") << "/usr/bin/kleitab"
                         << "kleitab";
  QTest::newRow("upper case") << "/opt/KLEITAB.EXE"
                              << "Kleitab";
  QTest::newRow("first dot") << "/x/Klei.tab.bin"
                             << "Klei";
}

void WizardTest::ProgramTitle() {
  QFETCH(QString, path);
  QFETCH(QString, expected);
  QCOMPARE(app::ProgramTitle(path), expected);
}

void WizardTest::GuardShowsErrorsButNotCancelling() {
  app_test::ErrorRecorder errors;
  bool went_on = false;
  app::Guard([] { throw platform::FileError(platform::kSharingViolation, 0, "/data/b.csv"); });
  app::Guard([] { throw platform::Cancelled(); });
  app::Guard([] { throw std::runtime_error("Disk full"); });
  app::Guard([] { throw platform::Error("Stream write error", "init.ini"); });
  app::Guard([&] { went_on = true; });
  QVERIFY(went_on);
  QCOMPARE(errors.Texts(), QStringList({"I/O error 32.", "Disk full.", "Stream write error."}));
  // The file's full name goes below the message; a relative one is taken
  // against the current directory.
  QCOMPARE(errors.files, QStringList({"/data/b.csv", "", QDir::current().filePath("init.ini")}));
  // An allocation failure reads as such, not as "std::bad_alloc".
  app::Guard([] { throw std::bad_alloc(); });
  QCOMPARE(errors.Texts().last(), QStringLiteral("Out of memory."));
}

QTEST_MAIN(WizardTest)
#include "wizard_test.moc"
