// Getting to a folder without the directory list: the path field, the last
// ten folders in its drop-down (kept in init.ini once used), and folders or
// files dropped onto the window.

#include "tests/support/window_test_support.h"

#include "app/desktop_seams.h"
#include "app/file_page.h"
#include "app/unit1.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>
#include <QtTest>

using app_test::ErrorRecorder;
using app_test::Scratch;

namespace {

void TypePath(app::TForm1& form, const QString& path) {
  form.FilePage1->ComboBox4->setEditText(path);
  QTest::keyClick(form.FilePage1->ComboBox4->lineEdit(), Qt::Key_Return);
}

QStringList Ticked(app::FilePage& page) {
  QStringList names;
  for (int i = 0; i < page.CheckListBox1()->count(); ++i)
    if (page.IsTicked(i))
      names.append(page.CheckListBox1()->item(i)->text());
  return names;
}

// A drop as a file manager makes it, delivered to the window.
void Drop(app::TForm1& form, const QStringList& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : paths)
    urls.append(QUrl::fromLocalFile(path));
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &drop);
}

} // namespace

class FolderPathTest : public QObject {
  Q_OBJECT
private slots:
  void PathFieldGoesThereOrSaysWhy() {
    Scratch scratch;
    QVERIFY(QDir(scratch.Dir()).mkpath(QStringLiteral("месяцы/2026")));
    scratch.Write(QStringLiteral("месяцы/2026/a.csv"), "1\n");
    ErrorRecorder errors;
    app::TForm1& form = scratch.Form();
    TypePath(form, scratch.Path(QStringLiteral("месяцы/2026")));
    QCOMPARE(errors.Texts(), QStringList());
    QCOMPARE(QString::fromStdString(form.FilePage1->ShownDirectory()),
             scratch.Path(QStringLiteral("месяцы/2026")));
    QCOMPARE(Ticked(*form.FilePage1), QStringList{"a.csv"});
    TypePath(form, QStringLiteral("..")); // relative to the folder shown
    QCOMPARE(errors.Texts(), QStringList());
    QCOMPARE(QString::fromStdString(form.FilePage1->ShownDirectory()),
             scratch.Path(QStringLiteral("месяцы")));
    TypePath(form, scratch.Path(QStringLiteral("нет такой/папки")));
    QCOMPARE(errors.Texts().join("|"), QStringLiteral("Invalid filename."));
    QCOMPARE(errors.files, QStringList{scratch.Path(QStringLiteral("нет такой/папки"))});
    QCOMPARE(QString::fromStdString(form.FilePage1->ShownDirectory()),
             scratch.Path(QStringLiteral("месяцы")));
  }

  void LastTenFoldersComeBackFromInitIni() {
    Scratch scratch;
    for (int i = 0; i < 12; ++i)
      QVERIFY(QDir(scratch.Dir()).mkdir(QString::number(i)));
    {
      app::SetOpenRequest([](const QString&) {});
      app::TForm1& form = scratch.Form();
      for (int i = 0; i < 12; ++i)
        TypePath(form, scratch.Path(QString::number(i)));
      TypePath(form, scratch.Path(QStringLiteral("3"))); // seen again: first, once
      QComboBox* recent = form.FilePage1->ComboBox4;
      QCOMPARE(recent->count(), 10);
      QCOMPARE(recent->itemText(0), scratch.Path(QStringLiteral("3")));
      QCOMPARE(recent->itemText(1), scratch.Path(QStringLiteral("11")));
      QCOMPARE(recent->itemText(9), scratch.Path(QStringLiteral("2"))); // 0 and 1 fell off
      form.Button2Click(); // a save stores init.ini
      app::SetOpenRequest({});
    }
    QFile ini(scratch.Path(QStringLiteral("init.ini")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = ini.readAll().split('\n');
    QVERIFY2(lines.at(12).startsWith("Recent1=" + QFile::encodeName(scratch.Path("3"))),
             lines.at(12).constData());
    scratch.Reset();
    app::TForm1& again = scratch.Form();
    QCOMPARE(again.FilePage1->ComboBox4->count(), 10);
    // Choosing from the drop-down goes there.
    again.FilePage1->ComboBox4->activated(4);
    QCOMPARE(QString::fromStdString(again.FilePage1->ShownDirectory()),
             scratch.Path(QStringLiteral("8")));
  }

  void DroppedFolderIsShownAndDroppedFilesAloneTicked() {
    Scratch scratch;
    QVERIFY(QDir(scratch.Dir()).mkdir(QStringLiteral("d")));
    for (const char* name : {"d/a.csv", "d/b.csv", "d/c.csv"})
      scratch.Write(QString::fromLatin1(name), "1\n");
    app::TForm1& form = scratch.Form();
    form.SetActivePage(app::TForm1::kPageSettings);
    Drop(form, {scratch.Path(QStringLiteral("d"))});
    QCOMPARE(form.PageControl1->currentIndex(), int(app::TForm1::kPageFiles));
    QCOMPARE(Ticked(*form.FilePage1), (QStringList{"a.csv", "b.csv", "c.csv"}));
    Drop(form, {scratch.Path(QStringLiteral("d/c.csv")), scratch.Path(QStringLiteral("d/a.csv"))});
    QCOMPARE(Ticked(*form.FilePage1), (QStringList{"a.csv", "c.csv"}));
    QCOMPARE(form.Button1->text(), QStringLiteral("Далее"));
  }
};

QTEST_MAIN(FolderPathTest)
#include "folder_path_test.moc"
