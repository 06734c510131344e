// Russian where the user reads: the error box as shown (the message exactly
// as before, below it the file and the Russian sentence), and the save
// dialog's file list whatever the system's locale.

#include "app/error_box.h"
#include "app/russian_file_details.h"

#include <QFileSystemModel>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <cerrno>

class RussianTextsTest : public QObject {
  Q_OBJECT
private slots:
  void MessageStaysAndTheSentenceFollowsTheFile() {
    QString text;
    QString details;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      text = box->text();
      details = box->informativeText();
      box->accept();
    });
    app::ShowErrorBox("Invalid filename", "/нет/такой/a.csv", ENOENT);
    QCOMPARE(text, QStringLiteral("Invalid filename."));
    QCOMPARE(details, QStringLiteral("/нет/такой/a.csv\n\nПапка не существует."));
  }

  void SaveDialogListsSizesDatesAndKindsInRussian() {
    QLocale::setDefault(QLocale::c()); // as under LANG=C
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("a.csv")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(480, 'x'));
    file.close();
    QFileSystemModel files;
    QSignalSpy loaded(&files, &QFileSystemModel::directoryLoaded);
    const QModelIndex root = files.setRootPath(dir.path());
    QVERIFY(loaded.wait(5000));
    app::RussianFileDetails details;
    details.setSourceModel(&files);
    const QModelIndex row = details.mapFromSource(files.index(0, 0, root));
    QCOMPARE(details.index(row.row(), 1, row.parent()).data().toString(),
             QStringLiteral("480 байты"));
    QCOMPARE(details.index(row.row(), 2, row.parent()).data().toString(),
             QStringLiteral("Файл CSV"));
    const QString date = details.index(row.row(), 3, row.parent()).data().toString();
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d$"))
                 .match(date)
                 .hasMatch(),
             qPrintable(date));
  }
};

QTEST_MAIN(RussianTextsTest)
#include "russian_texts_test.moc"
