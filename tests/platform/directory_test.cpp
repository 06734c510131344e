#include "platform/codepage.h"
#include "platform/directory.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Names = std::vector<std::string>;

class TempDir : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/kleitab-dir-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  void Touch(const std::string& name) { std::ofstream(dir_ + "/" + name) << "x"; }
  void MakeDir(const std::string& name) { ::mkdir((dir_ + "/" + name).c_str(), 0755); }
  std::string dir_;
};

TEST_F(TempDir, CsvFilesInAnyLetterCaseSortedIgnoringCaseWithoutHiddenOrDirectories) {
  for (const char* n :
       {"b.csv", "A.CSV", "a2.Csv", "a10.csv", ".hidden.csv", "notes.txt", "csv", "x.csv.bak"})
    Touch(n);
  MakeDir("dir.csv");
  ::symlink((dir_ + "/b.csv").c_str(), (dir_ + "/link.csv").c_str());
  ::symlink((dir_ + "/missing").c_str(), (dir_ + "/dangling.csv").c_str());
  EXPECT_EQ(platform::ListCsvFiles(dir_),
            (Names{"A.CSV", "a2.Csv", "a10.csv", "b.csv", "link.csv"}));
  EXPECT_EQ(platform::ListSubdirectories(dir_), (Names{"dir.csv"}));
}

TEST_F(TempDir, SubdirectoriesSortedWithoutHiddenOnes) {
  for (const char* n : {"beta", "Alpha", ".git", "gamma10", "gamma9"})
    MakeDir(n);
  Touch("file.csv");
  EXPECT_EQ(platform::ListSubdirectories(dir_), (Names{"Alpha", "beta", "gamma9", "gamma10"}));
}

TEST_F(TempDir, MissingOrUnreadableDirectoriesGiveFileErrors) {
  try {
    platform::ListCsvFiles(dir_ + "/gone");
    FAIL();
  } catch (const platform::FileError& e) {
    EXPECT_EQ(e.number(), platform::kFileNotFound);
  }
  EXPECT_THROW(platform::EnterDirectory(dir_ + "/no/such"), platform::FileError);
  Touch("plain");
  try {
    platform::EnterDirectory(dir_ + "/plain");
    FAIL();
  } catch (const platform::FileError& e) {
    EXPECT_STREQ(e.what(), "Invalid filename");
  }
}

TEST_F(TempDir, EnteringMovesTheCurrentDirectory) {
  const std::string before = platform::CurrentDirectory();
  MakeDir("sub");
  platform::EnterDirectory(dir_ + "/sub");
  EXPECT_EQ(platform::CurrentDirectory(), dir_ + "/sub");
  platform::EnterDirectory(before);
}

TEST(JoinPath, NoSecondSeparatorAfterTheRoot) {
  EXPECT_EQ(platform::JoinPath("/", "a.csv"), "/a.csv");
  EXPECT_EQ(platform::JoinPath("/data", "a.csv"), "/data/a.csv");
}

TEST(FileNameToCp1251, Utf8BecomesCodePageAndStrayBytesStay) {
  EXPECT_EQ(platform::FileNameToCp1251("отчёт.csv"), "\xEE\xF2\xF7\xB8\xF2.csv");
  EXPECT_EQ(platform::FileNameToCp1251("\xEE\xF2.csv"), "\xEE\xF2.csv") << "already code page";
  EXPECT_EQ(platform::FileNameToCp1251("日.csv"), "?.csv");
}

// Overlong forms and encoded surrogates are no UTF-8: their bytes stay.
TEST(FileNameToCp1251, OverlongFormsAndSurrogatesKeepTheirBytes) {
  EXPECT_EQ(platform::FileNameToCp1251("\xE0\x81\x81.csv"), "\xE0\x81\x81.csv");
  EXPECT_EQ(platform::FileNameToCp1251("\xF0\x80\x81\x81"), "\xF0\x80\x81\x81");
  EXPECT_EQ(platform::FileNameToCp1251("\xED\xA0\x80x"), "\xED\xA0\x80x");
  EXPECT_EQ(platform::FileNameToCp1251("\xF4\x90\x80\x80"), "\xF4\x90\x80\x80") << "past U+10FFFF";
  EXPECT_EQ(platform::FileNameToCp1251("\xE2\x84\x96"), "\xB9") << "the numero sign, shortest form";
}

TEST(Volumes, TheRootIsListedAndHoldsEveryPath) {
  const auto volumes = platform::MountedVolumes();
  bool root = false;
  for (const auto& v : volumes) {
    root = root || v.root == "/";
    EXPECT_NE(v.root.rfind("/proc", 0), 0u);
  }
  EXPECT_TRUE(root);
  EXPECT_FALSE(platform::VolumeRootOf("/tmp").empty());
}

} // namespace
