// The first page's directory model without any widget: the directory change
// and the process's current directory, the file list, the output among the
// listed files, and the last directory per volume.

#include "app/directory_model.h"
#include "platform/directory.h"
#include "platform/errors.h"
#include "tests/support/temp_dir.h"

#include <QtTest>

#include <unistd.h>

using testing_support::TempDir;

class DirectoryModelTest : public QObject {
  Q_OBJECT
private slots:
  void EntersListsAndKnowsTheOutput() {
    TempDir dir;
    const std::string root = platform::CurrentDirectory();
    const std::string sub = dir.File("sub");
    QVERIFY(::mkdir(sub.c_str(), 0755) == 0);
    for (const char* name : {"b.csv", "a.csv", "n.txt"})
      testing_support::WriteBytes(dir.File(std::string("sub/") + name), "x\n");
    QVERIFY(::symlink("b.csv", (sub + "/l.csv").c_str()) == 0);

    app::DirectoryModel model;
    QCOMPARE(model.Shown(), root);
    const app::DirectoryModel::Change change = model.Enter(sub);
    QVERIFY(change.shown && change.files);
    QCOMPARE(platform::CurrentDirectory(), sub);
    QCOMPARE(model.Files(), std::vector<std::string>({"a.csv", "b.csv", "l.csv"}));
    QCOMPARE(model.FullPathOf(2), sub + "/l.csv");
    QCOMPARE(model.FullPathOf(3), std::string());
    model.SetOutputName([] { return std::string("b.csv"); }); // relative, as saving takes it
    QCOMPARE(model.OutputIndexes(), std::vector<int>({1, 2}));

    QVERIFY_THROWS_EXCEPTION(platform::Error, model.Enter(dir.File("missing")));
    QCOMPARE(model.Shown(), sub);
    QCOMPARE(platform::CurrentDirectory(), sub);

    QVERIFY(!model.PickVolume(model.Volume()));
    const std::string volume = model.Volume();
    QCOMPARE(*model.PickVolume("/elsewhere/"), std::string("/elsewhere/"));
    QCOMPARE(*model.PickVolume(volume), sub); // the last one shown there
    QVERIFY(::chdir(root.c_str()) == 0);
  }
};

QTEST_GUILESS_MAIN(DirectoryModelTest)
#include "directory_model_test.moc"
