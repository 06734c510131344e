// The page "Выбрать файлы" over temporary directory trees: the order and
// letter case of names, what is left out, the directory change and the
// process's current directory, unenterable directories, the check list's
// menu, the directory list's items, strange names, links and big folders.

#include "tests/support/window_test_support.h"

#include "app/file_page.h"
#include "app/unit1.h"
#include "platform/directory.h"
#include "platform/errors.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QtTest>

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using app_test::ErrorRecorder;
using app_test::Scratch;

namespace {

constexpr int kPathRole = Qt::UserRole + 1; // the directory list's item path

std::string RealPath(const std::string& path) {
  char buffer[PATH_MAX];
  return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

std::string Cwd() {
  return platform::CurrentDirectory();
}

// A temporary directory tree addressed by file system bytes.
class Tree {
public:
  Tree() : root_(RealPath(QFile::encodeName(dir_.path()).toStdString())) {}
  const std::string& Root() const { return root_; }
  std::string operator/(const std::string& relative) const { return root_ + "/" + relative; }

  void Dir(const std::string& relative) const {
    QVERIFY(::mkdir((*this / relative).c_str(), 0755) == 0);
  }
  void File(const std::string& relative, const std::string& content = "x\n") const {
    std::ofstream out(*this / relative, std::ios::binary);
    out << content;
    QVERIFY(out.good());
  }
  void Link(const std::string& target, const std::string& relative) const {
    QVERIFY(::symlink(target.c_str(), (*this / relative).c_str()) == 0);
  }

private:
  QTemporaryDir dir_;
  std::string root_;
};

QStringList Texts(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i)
    texts.append(list->item(i)->text().trimmed());
  return texts;
}

QStringList Paths(const QListWidget* list) {
  QStringList paths;
  for (int i = 0; i < list->count(); ++i)
    paths.append(QString::fromUtf8(list->item(i)->data(kPathRole).toByteArray()));
  return paths;
}

// The ticks as a string: "x" ticked, "-" not.
QString Ticks(const app::FilePage& page) {
  QString ticks;
  for (int i = 0; i < page.Count(); ++i)
    ticks += page.IsTicked(i) ? QLatin1Char('x') : QLatin1Char('-');
  return ticks;
}

void Tick(app::FilePage& page, int index, bool ticked) {
  page.CheckListBox1()->item(index)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

QStringList Strings(std::initializer_list<const char*> list) {
  QStringList strings;
  for (const char* s : list)
    strings.append(QString::fromUtf8(s));
  return strings;
}

QString Text(const std::string& bytes) {
  return QString::fromUtf8(bytes.c_str());
}

// Everything the page shows, for "nothing changed" checks.
struct Snapshot {
  explicit Snapshot(const app::FilePage& page)
      : shown(page.ShownDirectory()), cwd(Cwd()), directories(Texts(page.DirectoryListBox1)),
        current_directory(page.DirectoryListBox1->currentRow()), files(Texts(page.FileListBox1())),
        checks(Texts(page.CheckListBox1())), ticks(Ticks(page)),
        drive(page.DriveComboBox1->currentIndex()) {}
  bool operator==(const Snapshot& o) const {
    return shown == o.shown && cwd == o.cwd && directories == o.directories &&
           current_directory == o.current_directory && files == o.files && checks == o.checks &&
           ticks == o.ticks && drive == o.drive;
  }
  std::string shown, cwd;
  QStringList directories;
  int current_directory;
  QStringList files, checks;
  QString ticks;
  int drive;
};

char* toString(const Snapshot& s) {
  std::ostringstream out;
  out << "shown " << s.shown << ", cwd " << s.cwd << ", dirs "
      << s.directories.join('|').toStdString() << " @" << s.current_directory << ", files "
      << s.files.join('|').toStdString() << ", checks " << s.checks.join('|').toStdString() << " "
      << s.ticks.toStdString() << ", drive " << s.drive;
  return qstrdup(out.str().c_str());
}

// Enters the directory list's item with this text by the Enter key.
void PressEnterOn(app::FilePage& page, const QString& text) {
  const QList<QListWidgetItem*> found = page.DirectoryListBox1->findItems(
      QStringLiteral("*") + text, Qt::MatchWildcard | Qt::MatchCaseSensitive);
  QVERIFY2(!found.isEmpty(), qPrintable(text));
  page.DirectoryListBox1->setCurrentItem(found.last());
  QTest::keyClick(page.DirectoryListBox1, Qt::Key_Return);
}

QPoint CenterOf(QListWidget* list, int row) {
  return list->visualItemRect(list->item(row)).center();
}

void Collect(app::TForm1& form) {
  form.ComboBox1->setCurrentIndex(0);
  form.SetActivePage(1);
  form.Button1->setText(QStringLiteral("Собрать"));
  form.Button1Click();
}

} // namespace

class FilePageTest : public QObject {
  Q_OBJECT
private slots:
  void init() { start_ = Cwd(); }
  void cleanup() { QVERIFY(::chdir(start_.c_str()) == 0); }

  void NamesSortedIgnoringCaseWithNumbersInOrder();
  void MaskAndLeftOutEntries_data();
  void MaskAndLeftOutEntries();
  void DirectoryListItems();
  void TicksComeBackAfterLeavingAndEntering();
  void EnteringTheCurrentItemKeepsTheTicks();
  void SingleClickSelectsDoubleClickEnters();
  void CurrentDirectoryFollowsEveryChange();
  void UnenterableDirectoryChangesNothing();
  void ShownDirectoryRemovedWhileShown();
  void MenuTicks();
  void SpaceKeyToggles();
  void UntickedFilesAreNotCollected();
  void ClipboardText();
  void FullFileNameAtTheRoot();
  void NameNotValidUtf8IsListedAndRead();
  void LineBreakInAName();
  void SymlinkLoops();
  void ManyEntries();
  void VolumeSelector();
  void VolumeThatCannotBeEntered();
  void FileBoundIntoPlaceIsNoVolume();
  void FileListShownAtStartCheckListEmpty();
  void AnotherSpellingOfTheShownDirectoryFillsTheCheckList();
  void SplittersCollapseAtThirtyPixels();

private:
  std::string start_;
};

void FilePageTest::NamesSortedIgnoringCaseWithNumbersInOrder() {
  Tree tree;
  for (const char* name : {"file10.csv", "file2.csv", "File1.CSV", "b.Csv", "a.csv", "Z.csv",
                           "Банк.csv", "акт.csv", "file02b.csv"})
    tree.File(name);
  app::FilePage page;
  page.SetShownDirectory(tree.Root());
  const QStringList expected = Strings({"a.csv", "b.Csv", "File1.CSV", "file2.csv", "file02b.csv",
                                        "file10.csv", "Z.csv", "акт.csv", "Банк.csv"});
  QCOMPARE(Texts(page.FileListBox1()), expected);
  QCOMPARE(Texts(page.CheckListBox1()), expected);
  QCOMPARE(Ticks(page), QString(expected.size(), QLatin1Char('x')));
  QCOMPARE(Text(page.FileNames()[2]), QStringLiteral("File1.CSV"));
}

void FilePageTest::MaskAndLeftOutEntries_data() {
  QTest::addColumn<QStringList>("files");
  QTest::addColumn<QStringList>("directories");
  QTest::addColumn<QStringList>("listed");
  QTest::newRow("any letter case of the extension")
      << Strings({"a.csv", "b.CSV", "c.Csv", "d.cSv", "e.csvx", "f.csv.txt", "gcsv", "csv"})
      << QStringList() << Strings({"a.csv", "b.CSV", "c.Csv", "d.cSv"});
  QTest::newRow("hidden files and directories left out")
      << Strings({".hidden.csv", ".CSV", "shown.csv", "notes.txt"})
      << Strings({"x.csv", ".cache.csv"}) << Strings({"shown.csv"});
  QTest::newRow("none") << Strings({"a.txt"}) << Strings({"sub"}) << QStringList();
}

void FilePageTest::MaskAndLeftOutEntries() {
  QFETCH(QStringList, files);
  QFETCH(QStringList, directories);
  QFETCH(QStringList, listed);
  Tree tree;
  for (const QString& name : files)
    tree.File(name.toStdString());
  for (const QString& name : directories)
    tree.Dir(name.toStdString());
  app::FilePage page;
  page.SetShownDirectory(tree.Root());
  QCOMPARE(Texts(page.FileListBox1()), listed);
  QCOMPARE(Texts(page.CheckListBox1()), listed);
  // Directories show in the directory list only, hidden ones not at all.
  const QStringList shown_directories = Texts(page.DirectoryListBox1);
  for (const QString& name : directories)
    QCOMPARE(shown_directories.contains(name), !name.startsWith(QLatin1Char('.')));
}

void FilePageTest::DirectoryListItems() {
  Tree tree;
  tree.Dir("top");
  tree.Dir("top/down");
  for (const char* name : {"Zeta", "alpha", ".hidden", "Beta10", "Beta9"})
    tree.Dir(std::string("top/down/") + name);
  tree.File("top/down/file.csv");
  app::FilePage page;
  page.SetShownDirectory(tree / "top/down");

  QStringList texts = {QStringLiteral("/")};
  QStringList paths = {QStringLiteral("/")};
  std::string path;
  for (const QString& part : Text(tree.Root()).split('/', Qt::SkipEmptyParts)) {
    path += "/" + part.toStdString();
    texts.append(part);
    paths.append(Text(path));
  }
  texts << "top"
        << "down";
  paths << Text(tree / "top") << Text(tree / "top/down");
  const int current = texts.size() - 1;
  for (const char* name : {"alpha", "Beta9", "Beta10", "Zeta"}) {
    texts.append(QString::fromUtf8(name));
    paths.append(Text(tree / "top/down/" + name));
  }
  QCOMPARE(Texts(page.DirectoryListBox1), texts);
  QCOMPARE(Paths(page.DirectoryListBox1), paths);
  QCOMPARE(page.DirectoryListBox1->currentRow(), current);
}

void FilePageTest::TicksComeBackAfterLeavingAndEntering() {
  Tree tree;
  tree.Dir("a");
  tree.Dir("b");
  for (const char* name : {"a/1.csv", "a/2.csv", "a/3.csv", "b/4.csv"})
    tree.File(name);
  app::FilePage page;
  page.SetShownDirectory(tree / "a");
  Tick(page, 0, false);
  Tick(page, 2, false);
  QCOMPARE(Ticks(page), QStringLiteral("-x-"));
  page.SetShownDirectory(tree / "b");
  QCOMPARE(Texts(page.CheckListBox1()), Strings({"4.csv"}));
  QCOMPARE(Ticks(page), QStringLiteral("x"));
  page.SetShownDirectory(tree / "a");
  QCOMPARE(Texts(page.CheckListBox1()), Strings({"1.csv", "2.csv", "3.csv"}));
  QCOMPARE(Ticks(page), QStringLiteral("xxx"));
}

void FilePageTest::EnteringTheCurrentItemKeepsTheTicks() {
  Tree tree;
  tree.Dir("sub");
  tree.File("1.csv");
  tree.File("2.csv");
  app::FilePage page;
  page.resize(640, 480);
  page.show();
  QVERIFY(QTest::qWaitForWindowExposed(&page));
  page.SetShownDirectory(tree.Root());
  Tick(page, 1, false);
  const Snapshot before(page);
  const int current = page.DirectoryListBox1->currentRow();

  QTest::keyClick(page.DirectoryListBox1, Qt::Key_Return);
  QCOMPARE(Snapshot(page), before);
  QWidget* viewport = page.DirectoryListBox1->viewport();
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, CenterOf(page.DirectoryListBox1, current));
  QCOMPARE(Snapshot(page), before);
  page.SetShownDirectory(std::string());
  QCOMPARE(Snapshot(page), before);
}

void FilePageTest::SingleClickSelectsDoubleClickEnters() {
  Tree tree;
  tree.Dir("sub");
  tree.File("sub/in.csv");
  tree.File("out.csv");
  app::FilePage page;
  page.resize(640, 480);
  page.show();
  QVERIFY(QTest::qWaitForWindowExposed(&page));
  page.SetShownDirectory(tree.Root());
  QListWidget* list = page.DirectoryListBox1;
  const int sub = list->count() - 1;
  QCOMPARE(list->item(sub)->text().trimmed(), QStringLiteral("sub"));

  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CenterOf(list, sub));
  QCOMPARE(list->currentRow(), sub);
  QCOMPARE(page.ShownDirectory(), tree.Root());

  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, CenterOf(list, sub));
  QCOMPARE(page.ShownDirectory(), tree / "sub");
  QCOMPARE(Texts(page.CheckListBox1()), Strings({"in.csv"}));

  // The item one up on the way down leads back.
  PressEnterOn(page, Text(tree.Root()).section('/', -1));
  QCOMPARE(page.ShownDirectory(), tree.Root());
  QCOMPARE(Texts(page.CheckListBox1()), Strings({"out.csv"}));
}

void FilePageTest::CurrentDirectoryFollowsEveryChange() {
  Tree tree;
  tree.Dir("a");
  tree.Dir("a/b");
  tree.Link(tree / "a/b", "to-b");
  app::FilePage page;
  const std::vector<std::pair<std::string, std::string>> steps = {
      {tree / "a", tree / "a"},
      {"b", tree / "a/b"}, // relative to the current directory
      {"..", tree / "a"},
      {tree / "to-b", tree / "a/b"}, // a link shows the directory it leads to
      {tree / "a/./b/../../a", tree / "a"},
      {"/", "/"},
      {tree.Root(), tree.Root()},
  };
  for (const auto& [path, shown] : steps) {
    page.SetShownDirectory(path);
    QCOMPARE(page.ShownDirectory(), shown);
    QCOMPARE(Cwd(), shown);
  }
  PressEnterOn(page, QStringLiteral("a"));
  QCOMPARE(Cwd(), tree / "a");
  QCOMPARE(page.ShownDirectory(), tree / "a");
}

void FilePageTest::UnenterableDirectoryChangesNothing() {
  Tree tree;
  for (const char* name : {"gone", "plain", "stays"})
    tree.Dir(name);
  tree.File("a.csv");
  tree.File("b.csv");
  app::FilePage page;
  page.SetShownDirectory(tree.Root());
  Tick(page, 1, false);
  QVERIFY(::rmdir((tree / "gone").c_str()) == 0);
  QVERIFY(::rmdir((tree / "plain").c_str()) == 0);
  tree.File("plain"); // a regular file where the directory was
  const Snapshot before(page);

  ErrorRecorder errors;
  PressEnterOn(page, QStringLiteral("gone"));
  QCOMPARE(errors.Texts(), Strings({"File not found."}));
  PressEnterOn(page, QStringLiteral("plain"));
  QCOMPARE(errors.Texts(), Strings({"File not found.", "Invalid filename."}));
  app::Guard([&] { page.SetShownDirectory("/no/such/place"); });
  app::Guard([&] { page.SetShownDirectory(tree / "plain/below"); });
  QCOMPARE(errors.Texts().size(), 4);

  // The selection moved to the item tried; everything else is as it was.
  Snapshot after(page);
  after.current_directory = before.current_directory;
  QCOMPARE(after, before);
  // The page goes on working.
  PressEnterOn(page, QStringLiteral("stays"));
  QCOMPARE(page.ShownDirectory(), tree / "stays");
  QCOMPARE(errors.Texts().size(), 4);
}

void FilePageTest::ShownDirectoryRemovedWhileShown() {
  Tree tree;
  tree.Dir("doomed");
  tree.File("doomed/a.csv");
  tree.File("b.csv");
  app::FilePage page;
  page.SetShownDirectory(tree / "doomed");
  QVERIFY(std::system(("rm -r '" + tree / "doomed" + "'").c_str()) == 0);
  // The current directory is gone; leaving it for another still works.
  page.SetShownDirectory(tree.Root());
  QCOMPARE(page.ShownDirectory(), tree.Root());
  QCOMPARE(Cwd(), tree.Root());
  QCOMPARE(Texts(page.CheckListBox1()), Strings({"b.csv"}));
}

void FilePageTest::MenuTicks() {
  Tree tree;
  for (const char* name : {"1.csv", "2.csv", "3.csv", "4.csv"})
    tree.File(name);
  app::FilePage page;
  page.SetShownDirectory(tree.Root());
  QCOMPARE(page.PopupMenu1->actions().size(), 4);
  QCOMPARE(page.N1->text(), QStringLiteral("Выделить все"));
  QCOMPARE(page.N2->text(), QStringLiteral("Снять галочки"));
  QCOMPARE(page.N3->text(), QStringLiteral("Инвентировать"));
  QCOMPARE(page.N8->text(), QStringLiteral("Список файлов в буфер обменна "));

  Tick(page, 1, false);
  Tick(page, 2, false);
  page.N3Click();
  QCOMPARE(Ticks(page), QStringLiteral("-xx-"));
  page.N3->trigger();
  QCOMPARE(Ticks(page), QStringLiteral("x--x"));
  page.N2->trigger();
  QCOMPARE(Ticks(page), QStringLiteral("----"));
  page.N1->trigger();
  QCOMPARE(Ticks(page), QStringLiteral("xxxx"));
  page.N2Click();
  QCOMPARE(Ticks(page), QStringLiteral("----"));
  page.N1Click();
  QCOMPARE(Ticks(page), QStringLiteral("xxxx"));
}

void FilePageTest::SpaceKeyToggles() {
  Tree tree;
  tree.File("1.csv");
  tree.File("2.csv");
  app::FilePage page;
  page.SetShownDirectory(tree.Root());
  page.CheckListBox1()->setCurrentRow(1);
  QTest::keyClick(page.CheckListBox1(), Qt::Key_Space);
  QCOMPARE(Ticks(page), QStringLiteral("x-"));
  QTest::keyClick(page.CheckListBox1(), Qt::Key_Space);
  QCOMPARE(Ticks(page), QStringLiteral("xx"));
}

void FilePageTest::UntickedFilesAreNotCollected() {
  Scratch scratch;
  scratch.Write("a.csv", "1,2\n");
  scratch.Write("b.csv", "3,4\n");
  app::TForm1& form = scratch.Form();
  ErrorRecorder errors;
  form.FilePage1->N2Click();
  Collect(form);
  QCOMPARE(form.Table().GetCell(0, 0), std::string_view());
  QCOMPARE(form.Table().GetCell(0, 1), std::string_view());
  // Only the ticked one is read.
  Tick(*form.FilePage1, 1, true);
  Collect(form);
  QCOMPARE(form.Table().GetCell(0, 0), std::string_view("3"));
  QCOMPARE(form.Table().GetCell(0, 1), std::string_view());
  QVERIFY(errors.boxes.isEmpty());
}

void FilePageTest::ClipboardText() {
  Tree tree;
  tree.Dir("empty");
  tree.File("b.csv");
  tree.File("A.csv");
  app::FilePage page;
  QStringList clipboard;
  page.SetClipboardSink([&](const QString& text) { clipboard.append(text); });
  page.SetShownDirectory(tree.Root());
  Tick(page, 0, false); // ticked or not, every name goes
  page.N8Click();
  page.SetShownDirectory(tree / "empty");
  page.N8->trigger();
  QCOMPARE(clipboard, QStringList({QStringLiteral("A.csv\r\nb.csv\r\n"), QString()}));
}

void FilePageTest::FullFileNameAtTheRoot() {
  QCOMPARE(platform::JoinPath("/", "a.csv"), std::string("/a.csv"));
  QCOMPARE(platform::JoinPath("/tmp", "a.csv"), std::string("/tmp/a.csv"));

  app::FilePage page;
  page.SetShownDirectory("/");
  QCOMPARE(page.ShownDirectory(), std::string("/"));
  QCOMPARE(page.DirectoryListBox1->currentRow(), 0);
  QCOMPARE(page.DirectoryListBox1->item(0)->text(), QStringLiteral("/"));
  for (const QString& path : Paths(page.DirectoryListBox1).mid(1)) {
    QVERIFY2(!path.startsWith(QStringLiteral("//")) && path.count('/') == 1, qPrintable(path));
    QVERIFY2(!path.startsWith(QStringLiteral("/.")), qPrintable(path));
  }

  // A file of our own at the root, where the file system lets us.
  const std::string name = "kleitab-file-page-" + std::to_string(::getpid()) + ".csv";
  const std::string path = "/" + name;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0)
    QSKIP("the root directory is not writable");
  ::close(fd);
  struct Remove {
    std::string path;
    ~Remove() { ::unlink(path.c_str()); }
  } remove{path};
  page.SetShownDirectory(QDir::tempPath().toStdString());
  page.SetShownDirectory("/");
  const std::vector<std::string>& names = page.FileNames();
  const auto at = std::find(names.begin(), names.end(), name);
  QVERIFY(at != names.end());
  page.Select(static_cast<int>(at - names.begin()));
  QCOMPARE(page.SelectedFullPath(), path);
}

void FilePageTest::NameNotValidUtf8IsListedAndRead() {
  Scratch scratch;
  const std::string name = "\xEE\xF2\xF7\xB8\xF2.csv"; // "отчёт" in Windows-1251
  const std::string dir =
      RealPath(QFile::encodeName(QFileInfo(scratch.Path("x")).absolutePath()).toStdString());
  {
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out << "7,8\n";
  }
  app::TForm1& form = scratch.Form();
  app::FilePage& page = *form.FilePage1;
  QCOMPARE(page.Count(), 1);
  QCOMPARE(page.FileNames(), std::vector<std::string>({name}));
  QVERIFY(!page.CheckListBox1()->item(0)->text().isEmpty());
  page.Select(0);
  QCOMPARE(RealPath(page.SelectedFullPath()), dir + "/" + name);
  ErrorRecorder errors;
  Collect(form);
  QVERIFY(errors.boxes.isEmpty());
  QCOMPARE(form.Table().GetCell(0, 0), std::string_view("7"));
  QCOMPARE(form.Table().GetCell(1, 0), std::string_view("8"));

  // A directory of such a name is entered by its bytes.
  const std::string sub = dir + "/\xE4\xE8\xF0";
  QVERIFY(::mkdir(sub.c_str(), 0755) == 0);
  page.SetShownDirectory(sub);
  QCOMPARE(page.ShownDirectory(), sub);
  QCOMPARE(Cwd(), sub);
  // QTemporaryDir cannot remove names that are not valid UTF-8.
  ::chdir("/");
  QVERIFY(::rmdir(sub.c_str()) == 0);
  QVERIFY(::unlink((dir + "/" + name).c_str()) == 0);
}

void FilePageTest::LineBreakInAName() {
  // The check list must stay one item per file, in step with the file list.
  Tree tree;
  tree.File("line\nbreak.csv", "1\n");
  tree.File("cr\rname.csv", "2\n");
  tree.File("z.csv", "3\n");
  app::FilePage page;
  page.SetShownDirectory(tree.Root());
  QCOMPARE(page.Count(), 3);
  QCOMPARE(page.FileListBox1()->count(), 3);
  for (int i = 0; i < page.Count(); ++i) {
    QCOMPARE(page.CheckListBox1()->item(i)->text(), page.FileListBox1()->item(i)->text());
    page.Select(i);
    QCOMPARE(page.SelectedFullPath(), tree / page.FileNames()[static_cast<std::size_t>(i)]);
  }
  QCOMPARE(page.FileNames().back(), std::string("z.csv"));
}

void FilePageTest::SymlinkLoops() {
  Tree tree;
  tree.Dir("d");
  tree.File("d/a.csv");
  tree.Link("self.csv", "d/self.csv"); // a link to itself
  tree.Link("loop", "d/loop");
  tree.Link("..", "d/up"); // a directory link to its parent
  tree.Link(tree / "d", "d/again.csv");
  app::FilePage page;
  page.SetShownDirectory(tree / "d");
  QCOMPARE(Texts(page.FileListBox1()), Strings({"a.csv"}));
  const QStringList directories = Texts(page.DirectoryListBox1);
  QVERIFY(directories.contains(QStringLiteral("up")));
  QVERIFY(directories.contains(QStringLiteral("again.csv")));
  QVERIFY(!directories.contains(QStringLiteral("loop")));

  ErrorRecorder errors;
  const Snapshot before(page);
  app::Guard([&] { page.SetShownDirectory(tree / "d/loop"); });
  QCOMPARE(errors.boxes.size(), 1);
  QCOMPARE(Snapshot(page), before);

  PressEnterOn(page, QStringLiteral("up"));
  QCOMPARE(page.ShownDirectory(), tree.Root());
  QCOMPARE(Cwd(), tree.Root());
  page.SetShownDirectory(tree / "d/again.csv/again.csv/up/d");
  QCOMPARE(page.ShownDirectory(), tree / "d");
  QCOMPARE(errors.boxes.size(), 1);
}

void FilePageTest::ManyEntries() {
  Tree tree;
  constexpr int kFiles = 20000;
  for (int i = 0; i < kFiles; ++i) {
    const std::string path = tree / ("f" + std::to_string(i) + (i % 2 ? ".CSV" : ".csv"));
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
  }
  for (int i = 0; i < 100; ++i)
    tree.File("other" + std::to_string(i) + ".txt");
  app::FilePage page;
  page.SetShownDirectory(tree.Root());
  QCOMPARE(page.FileListBox1()->count(), kFiles);
  QCOMPARE(page.Count(), kFiles);
  QCOMPARE(page.FileListBox1()->item(0)->text(), QStringLiteral("f0.csv"));
  QCOMPARE(page.FileListBox1()->item(1)->text(), QStringLiteral("f1.CSV"));
  QCOMPARE(page.FileListBox1()->item(kFiles - 1)->text(), QStringLiteral("f19999.CSV"));
  QCOMPARE(page.CheckListBox1()->item(10)->text(), QStringLiteral("f10.csv"));
  QVERIFY(page.IsTicked(0) && page.IsTicked(kFiles - 1));
  page.Select(kFiles - 1);
  QCOMPARE(page.SelectedFullPath(), tree / "f19999.CSV");
}

void FilePageTest::VolumeSelector() {
  Tree tree;
  tree.File("a.csv");
  tree.File("b.csv");
  app::FilePage page;
  page.SetShownDirectory(tree.Root());
  QComboBox* drives = page.DriveComboBox1;
  const int root = drives->findData(QByteArray("/"));
  QVERIFY(root >= 0);
  QVERIFY2(
      QRegularExpression(QStringLiteral("^/ \\[.*\\]$")).match(drives->itemText(root)).hasMatch(),
      qPrintable(drives->itemText(root)));
  for (int i = 0; i < drives->count(); ++i) {
    const QString volume = drives->itemData(i).toString();
    QVERIFY2(!volume.startsWith(QStringLiteral("/proc")) &&
                 !volume.startsWith(QStringLiteral("/sys")),
             qPrintable(volume));
  }
  const int current =
      drives->findData(QByteArray::fromStdString(platform::VolumeRootOf(tree.Root())));
  QCOMPARE(drives->currentIndex(), current);

  Tick(page, 0, false);
  const Snapshot before(page);
  page.DriveComboBox1Change(current);
  QCOMPARE(Snapshot(page), before);
}

void FilePageTest::VolumeThatCannotBeEntered() {
  Tree tree;
  tree.File("a.csv");
  app::FilePage page;
  page.SetShownDirectory(tree.Root());
  QComboBox* drives = page.DriveComboBox1;
  const int home = drives->currentIndex();
  // A volume gone since the list was made.
  drives->addItem(QStringLiteral("/kleitab-gone [x]"), QByteArray("/kleitab-gone-volume"));
  const int gone = drives->count() - 1;
  Tick(page, 0, false);
  Snapshot before(page);

  ErrorRecorder errors;
  drives->setCurrentIndex(gone);
  page.DriveComboBox1Change(gone);
  QCOMPARE(errors.Texts(), Strings({"File not found."}));
  QCOMPARE(drives->currentIndex(), gone);
  before.drive = gone;
  QCOMPARE(Snapshot(page), before);
  // Picking it again does nothing until another was picked.
  page.DriveComboBox1Change(gone);
  QCOMPARE(errors.Texts().size(), 1);
  drives->setCurrentIndex(home);
  page.DriveComboBox1Change(home); // back to the volume of the shown directory
  QCOMPARE(page.ShownDirectory(), tree.Root());
  page.DriveComboBox1Change(gone);
  QCOMPARE(errors.Texts().size(), 2);
}

void FilePageTest::FileBoundIntoPlaceIsNoVolume() {
  Tree tree;
  tree.File("source");
  tree.File("target");
  const std::string target = tree / "target";
  if (::mount((tree / "source").c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0)
    QSKIP("no permission to mount");
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{target};
  app::FilePage page;
  QVERIFY(page.DriveComboBox1->findData(QByteArray("/")) >= 0);
  QCOMPARE(page.DriveComboBox1->findData(QByteArray::fromStdString(target)), -1);
}

void FilePageTest::FileListShownAtStartCheckListEmpty() {
  Tree tree;
  tree.File("b.csv");
  tree.File("a.csv");
  QVERIFY(::chdir(tree.Root().c_str()) == 0);
  app::FilePage page;
  page.resize(640, 480);
  page.show();
  QVERIFY(QTest::qWaitForWindowExposed(&page));
  QCOMPARE(page.ShownDirectory(), tree.Root());
  QCOMPARE(Texts(page.FileListBox1()), Strings({"a.csv", "b.csv"}));
  QCOMPARE(page.Count(), 0);
  // Entering it again after another fills the check list.
  page.SetShownDirectory("/");
  page.SetShownDirectory(tree.Root());
  QCOMPARE(Texts(page.CheckListBox1()), Strings({"a.csv", "b.csv"}));
}

// Only the very text of the shown directory is skipped; "/dir/" or
// "/dir/." is a directory change like any other and fills the check list.
void FilePageTest::AnotherSpellingOfTheShownDirectoryFillsTheCheckList() {
  Tree tree;
  tree.File("a.csv");
  QVERIFY(::chdir(tree.Root().c_str()) == 0);
  app::FilePage page;
  page.SetShownDirectory(tree.Root());
  QCOMPARE(page.Count(), 0);
  page.SetShownDirectory(tree.Root() + "/");
  QCOMPARE(Texts(page.CheckListBox1()), Strings({"a.csv"}));
  QCOMPARE(page.ShownDirectory(), tree.Root());
  Tick(page, 0, false);
  page.SetShownDirectory(tree.Root() + "/.");
  QCOMPARE(page.CheckListBox1()->item(0)->checkState(), Qt::Checked);
}

namespace {

// Drags a splitter's handle by `delta` pixels with the mouse.
void DragHandle(QSplitter* splitter, int delta) {
  QSplitterHandle* handle = splitter->handle(1);
  const QPoint middle = handle->rect().center();
  const QPoint step = splitter->orientation() == Qt::Horizontal ? QPoint(1, 0) : QPoint(0, 1);
  QTest::mousePress(handle, Qt::LeftButton, {}, middle);
  for (int i = 1; i <= 10; ++i)
    QTest::mouseMove(handle, middle + step * (delta * i / 10));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, middle + step * delta);
}

} // namespace

// At the designed size the directory list is 346 high and reaches past the
// bottom, so the file list is out of sight; a pane dragged to 30 pixels or
// less collapses to nothing, one dragged to 31 keeps that size.
void FilePageTest::SplittersCollapseAtThirtyPixels() {
  Tree tree;
  QVERIFY(::chdir(tree.Root().c_str()) == 0);
  app::FilePage page;
  page.resize(634, 355);
  page.show();
  QVERIFY(QTest::qWaitForWindowExposed(&page));
  QCOMPARE(page.DirectoryListBox1->height(), 346);
  const QPoint file_list_top =
      page.FileListBox1()->mapTo(page.findChild<QWidget*>(QStringLiteral("Panel2")), QPoint(0, 0));
  QVERIFY2(file_list_top.y() >= page.height(),
           qPrintable(QStringLiteral("the file list is out of sight: at %1 of %2, %3 high")
                          .arg(file_list_top.y())
                          .arg(page.height())
                          .arg(page.FileListBox1()->height())));

  page.resize(634, 600);
  QTRY_COMPARE(page.DirectoryListBox1->height(), 346);
  QVERIFY(page.FileListBox1()->height() > 100);

  // A first drag to about 100 pixels tells how far Qt's handle lies from
  // the mouse; then exactly 31, then 30.
  const int start = page.DirectoryListBox1->height();
  DragHandle(page.Splitter2, 100 - start);
  const int landed = page.DirectoryListBox1->height();
  QVERIFY(landed > 90 && landed < 110);
  const int offset = 100 - landed;
  DragHandle(page.Splitter2, 31 - landed + offset);
  QCOMPARE(page.DirectoryListBox1->height(), 31);
  DragHandle(page.Splitter2, -1);
  QCOMPARE(page.Splitter2->sizes().at(0), 0);

  QSplitter* outer = page.findChild<QSplitter*>(QStringLiteral("Splitter1"));
  DragHandle(outer, 31 - outer->sizes().at(0) + offset);
  QCOMPARE(outer->sizes().at(0), 31);
  DragHandle(outer, -1);
  QCOMPARE(outer->sizes().at(0), 0);
}

QTEST_MAIN(FilePageTest)
#include "file_page_test.moc"
