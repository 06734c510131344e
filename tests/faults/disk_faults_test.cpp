// Saving onto a disk that fails: full, or read-only for everyone (root too).
// The error carries its number and message, the earlier file stays whole and
// nothing is left beside it.

#include "export/save_table.h"
#include "merge/result_table.h"
#include "platform/errors.h"
#include "settings/settings_file.h"
#include "settings/settings_values.h"
#include "tests/support/fault_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace {

using faults::NamesIn;
using faults::ReadBytes;
using faults::SmallDisk;
using faults::TempDir;
using faults::WriteBytes;

const std::string kEarlier = "earlier;file\r\n";

// About 1.2 MB in 20,000 rows: far more than the small disk holds.
void FillLarge(merge::ResultTable& table) {
  table.SetColCount(3);
  table.SetRowCount(20000);
  for (int row = 0; row < 20000; ++row) {
    table.SetCell(0, row, "row " + std::to_string(row));
    table.SetCell(1, row, std::string(40, static_cast<char>('a' + row % 26)));
    table.SetCell(2, row, "\xEF\xE0\xEF\xEA\xE0,\t"); // escaped and widened by UTF-8
  }
}

struct SaveOptions {
  const char* name;
  bool escape;
  bool utf8;
};

void PrintTo(const SaveOptions& options, std::ostream* out) {
  *out << options.name;
}

class FullDiskTest : public ::testing::TestWithParam<SaveOptions> {};

TEST_P(FullDiskTest, SaveFailsWithItsNumberAndKeepsTheEarlierFile) {
  TempDir dir;
  SmallDisk disk(dir.File("disk"), "256k");
  if (!disk.mounted())
    GTEST_SKIP() << "a tmpfs can be mounted only by root where the system allows it";
  const std::string path = disk.path() + "/out.csv";
  WriteBytes(path, kEarlier);
  merge::ResultTable table;
  FillLarge(table);
  try {
    exporter::SaveTable(table, path, {',', GetParam().escape, GetParam().utf8});
    FAIL() << "a save onto a full disk reported no error";
  } catch (const platform::FileError& e) {
    EXPECT_EQ(e.number(), 28);
    EXPECT_STREQ(e.what(), "I/O error 28");
  }
  EXPECT_EQ(ReadBytes(path), kEarlier);
  EXPECT_EQ(NamesIn(disk.path()), std::vector<std::string>{"out.csv"});
}

INSTANTIATE_TEST_SUITE_P(Options, FullDiskTest,
                         ::testing::Values(SaveOptions{"Plain", false, false},
                                           SaveOptions{"EscapedUtf8", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FullDiskSettingsTest, StoringFailsAndKeepsTheEarlierInitIni) {
  TempDir dir;
  SmallDisk disk(dir.File("disk"), "64k");
  if (!disk.mounted())
    GTEST_SKIP() << "a tmpfs can be mounted only by root where the system allows it";
  const std::string path = disk.path() + "/init.ini";
  const std::string earlier = settings::FormatSettings(settings::SettingsValues{});
  WriteBytes(path, earlier);
  // Fill what is left of the disk.
  {
    std::FILE* filler = std::fopen((disk.path() + "/filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    const std::string block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() &&
           std::fflush(filler) == 0) {
    }
    std::fclose(filler);
  }
  settings::SettingsValues values;
  values.output_name = "new name that does not fit.csv";
  try {
    settings::StoreSettingsFile(path, values);
    FAIL() << "storing onto a full disk reported no error";
  } catch (const platform::Error& e) {
    // The new file is made (a tmpfs needs no block for it); its text fails.
    EXPECT_STREQ(e.what(), "Stream write error");
  }
  EXPECT_EQ(ReadBytes(path), earlier);
  std::vector<std::string> names = NamesIn(disk.path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"filler", "init.ini"}));
}

// A read-only mount stops root as well, unlike a mode bit.
class ReadOnlyDiskTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!disk_.mounted())
      GTEST_SKIP() << "a tmpfs can be mounted only by root where the system allows it";
    WriteBytes(disk_.path() + "/out.csv", kEarlier);
    WriteBytes(disk_.path() + "/init.ini", kEarlier);
    if (!disk_.MakeReadOnly())
      GTEST_SKIP() << "the tmpfs cannot be remounted read-only here";
  }

  TempDir dir_;
  SmallDisk disk_{dir_.File("disk"), "1m"};
};

TEST_F(ReadOnlyDiskTest, SavingOverAFileIsDenied) {
  merge::ResultTable table;
  table.SetCell(0, 0, "new");
  for (const std::string name : {"out.csv", "new.csv"}) {
    SCOPED_TRACE(name);
    try {
      exporter::SaveTable(table, disk_.path() + "/" + name, {';'});
      FAIL() << "a save onto a read-only disk reported no error";
    } catch (const platform::FileError& e) {
      EXPECT_EQ(e.number(), 5);
      EXPECT_STREQ(e.what(), "File access denied");
    }
  }
  EXPECT_EQ(ReadBytes(disk_.path() + "/out.csv"), kEarlier);
  std::vector<std::string> names = NamesIn(disk_.path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"init.ini", "out.csv"}));
}

TEST_F(ReadOnlyDiskTest, StoringSettingsIsRefusedWithTheFileName) {
  const std::string path = disk_.path() + "/init.ini";
  try {
    settings::StoreSettingsFile(path, settings::SettingsValues{});
    FAIL() << "storing onto a read-only disk reported no error";
  } catch (const platform::Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + path + "\". ", 0), 0u)
        << e.what();
  }
  EXPECT_EQ(ReadBytes(path), kEarlier);
}

} // namespace
