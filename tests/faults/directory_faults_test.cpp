// The first page when its directories vanish under it: entering a removed
// directory is a file error in the error box, and a shown directory that is
// removed leaves the page usable.

#include "app/error_box.h"
#include "app/file_page.h"
#include "app/unit1.h"
#include "merge/collect.h"
#include "merge/result_table.h"
#include "platform/directory.h"
#include "platform/errors.h"
#include "tests/support/fault_support.h"
#include "tests/support/window_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QStatusBar>

#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using faults::TempDir;
using faults::WriteBytes;

class ErrorBoxes {
public:
  ErrorBoxes() {
    previous_ = app::SetErrorBoxShower([this](const QString&, const QString& text, const QString&) {
      texts.push_back(text.toStdString());
    });
  }
  ~ErrorBoxes() { app::SetErrorBoxShower(previous_); }
  std::vector<std::string> texts;

private:
  app::ErrorBoxShower previous_;
};

// The texts the error box shows for a missing directory.
bool IsMissingPathBox(const std::string& text) {
  return text == "File not found." || text == "Invalid filename.";
}

QListWidgetItem* ItemFor(QListWidget* list, const std::string& path) {
  for (int i = 0; i < list->count(); ++i) {
    if (list->item(i)->data(Qt::UserRole + 1).toByteArray().toStdString() == path)
      return list->item(i);
  }
  return nullptr;
}

// The user selects the item and presses Enter.
void PressEnterOn(QListWidget* list, QListWidgetItem* item) {
  list->setCurrentItem(item);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(list, &press);
}

class RemovedDirectoryTest : public ::testing::Test {
protected:
  void SetUp() override {
    ::mkdir(dir_.File("src").c_str(), 0755);
    ::mkdir(dir_.File("gone").c_str(), 0755);
    WriteBytes(dir_.File("src/a.csv"), "1,2\r\n");
    WriteBytes(dir_.File("src/b.csv"), "3,4\r\n");
    start_ = platform::CurrentDirectory();
    app_test::ShowDirectory(page_, QString::fromStdString(dir_.path()));
  }
  void TearDown() override { platform::EnterDirectory(start_); }

  TempDir dir_;
  std::string start_;
  app::FilePage page_;
  ErrorBoxes boxes_;
};

TEST_F(RemovedDirectoryTest, EnteringARemovedSubdirectoryIsAFileError) {
  QListWidgetItem* gone = ItemFor(page_.DirectoryListBox1, dir_.File("gone"));
  ASSERT_NE(gone, nullptr);
  ASSERT_EQ(::rmdir(dir_.File("gone").c_str()), 0);
  PressEnterOn(page_.DirectoryListBox1, gone);
  ASSERT_EQ(boxes_.texts.size(), 1u);
  EXPECT_TRUE(IsMissingPathBox(boxes_.texts[0])) << boxes_.texts[0];
  EXPECT_EQ(page_.ShownDirectory(), dir_.path());
  EXPECT_EQ(platform::CurrentDirectory(), dir_.path());
  // The page still works: the other subdirectory can be entered.
  PressEnterOn(page_.DirectoryListBox1, ItemFor(page_.DirectoryListBox1, dir_.File("src")));
  EXPECT_EQ(page_.ShownDirectory(), dir_.File("src"));
  EXPECT_EQ(page_.Count(), 2);
}

TEST_F(RemovedDirectoryTest, TheShownDirectoryRemovedLeavesThePageUsable) {
  app_test::ShowDirectory(page_, QString::fromStdString(dir_.File("src")));
  ASSERT_EQ(page_.Count(), 2);
  ASSERT_EQ(std::system(("rm -rf '" + dir_.File("src") + "'").c_str()), 0);

  // Collecting what the check list still names: the files are gone, so they
  // are skipped without a word and the table stays as it was.
  merge::ResultTable table;
  merge::CollectOptions options;
  options.delimiter_text = ",";
  merge::CollectFiles(table, page_, options, [] {});
  EXPECT_EQ(table.RowCount(), 2);
  EXPECT_EQ(table.GetCell(0, 0), "");

  // Entering it again fails with its file error; leaving it for its parent works.
  EXPECT_THROW(app_test::ShowDirectory(page_, QString::fromStdString(dir_.File("src") + "/.")),
               platform::FileError);
  PressEnterOn(page_.DirectoryListBox1, ItemFor(page_.DirectoryListBox1, dir_.path()));
  EXPECT_TRUE(boxes_.texts.empty()) << boxes_.texts.front();
  EXPECT_EQ(page_.ShownDirectory(), dir_.path());
  EXPECT_EQ(platform::CurrentDirectory(), dir_.path());
  EXPECT_EQ(ItemFor(page_.DirectoryListBox1, dir_.File("src")), nullptr);
  EXPECT_EQ(page_.Count(), 0);
}

// A collect stopped by a file another holder has locked: the status line
// names the file and says how many files the table holds.
TEST(StoppedCollectTest, StatusLineSaysWhereAndHowFar) {
  app_test::Scratch scratch;
  ErrorBoxes boxes;
  scratch.Write("a.csv", "1,2\n");
  scratch.Write("b.csv", "3,4\n");
  scratch.Write("c.csv", "5,6\n");
  app::TForm1& form = scratch.Form();
  // A lock of its own open file conflicts as another process's would.
  const int holder = ::open(QFile::encodeName(scratch.Path("b.csv")).constData(), O_RDWR);
  ASSERT_TRUE(holder >= 0 && ::flock(holder, LOCK_EX | LOCK_NB) == 0);
  form.SetActivePage(app::TForm1::kPageSettings);
  form.Button1Click();
  ::close(holder);
  EXPECT_EQ(boxes.texts, std::vector<std::string>{"I/O error 32."});
  EXPECT_EQ(form.StatusBar1->currentMessage().toStdString(),
            "Сбор остановлен ошибкой в «b.csv»: в таблице 1 из 3 файлов");
}

} // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
