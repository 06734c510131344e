// Sources and settings files that are not what they seem: FIFOs and devices
// in a listed file's place, a line too long to wait for, a table at its last
// row, a file whose name tag is empty.

#include "merge/collect.h"
#include "merge/line_reader.h"
#include "merge/result_table.h"
#include "merge/table_commands.h"
#include "platform/errors.h"
#include "platform/file.h"
#include "platform/progress.h"
#include "settings/settings_file.h"
#include "tests/support/fault_support.h"
#include "tests/support/load_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using faults::FakeCandidates;
using faults::RecordingProgress;
using faults::TempDir;
using faults::WriteBytes;

merge::CollectOptions Stacked(bool add_file_name) {
  merge::CollectOptions options;
  options.delimiter_text = ",";
  options.add_file_name = add_file_name;
  options.name_only = true;
  return options;
}

// Ends the test process when a call blocks: a hang fails instead of waiting
// for the test runner's timeout.
class HangGuard {
public:
  HangGuard() { ::alarm(20); }
  ~HangGuard() { ::alarm(0); }
};

// With quotes read or not: each reader opens the file once, and what is no
// regular file, or no longer there, is skipped.
TEST(NotRegularSourceTest, FifoAndDeviceAreSkippedWithoutBlocking) {
  TempDir dir;
  WriteBytes(dir.File("a.csv"), "1,2\r\n");
  ASSERT_EQ(::mkfifo(dir.File("fifo.csv").c_str(), 0644), 0);
  WriteBytes(dir.File("b.csv"), "3,4\r\n");
  for (const bool quotes : {false, true}) {
    SCOPED_TRACE(quotes ? "quotes" : "no quotes");
    FakeCandidates candidates({dir.File("a.csv"), dir.File("fifo.csv"), "/dev/null", "/dev/zero",
                               dir.File("gone.csv"), dir.File("b.csv")});
    merge::ResultTable table;
    const HangGuard guard;
    merge::CollectOptions options = Stacked(true);
    options.quotes = quotes;
    merge::CollectFiles(table, candidates, options, [] {});
    // b follows a at the RowCount a left (the table starts with two rows).
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.GetCell(0, 0), "1");
    EXPECT_EQ(table.GetCell(2, 0), "a");
    EXPECT_EQ(table.GetCell(0, 1), "");
    EXPECT_EQ(table.GetCell(0, 2), "3");
    EXPECT_EQ(table.GetCell(2, 2), "b");
  }
}

// A FIFO put in a listed file's place after it was found available: the open
// itself must not wait for a writer.
TEST(NotRegularSourceTest, OpeningAFifoNeverWaits) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("late.csv").c_str(), 0644), 0);
  const HangGuard guard;
  EXPECT_THROW(platform::ReadOnlyFile file(dir.File("late.csv")), platform::NotRegularFile);
  EXPECT_THROW(merge::LineReader reader("/dev/zero"), platform::NotRegularFile);
  EXPECT_FALSE(platform::IsReadableCandidate(dir.File("late.csv")));
  EXPECT_FALSE(platform::IsReadableCandidate("/dev/null"));
}

TEST(NotRegularSettingsTest, FifoInitIniReadsAsAbsentAndStoringFails) {
  TempDir dir;
  const std::string ini = dir.File("init.ini");
  ASSERT_EQ(::mkfifo(ini.c_str(), 0644), 0);
  const HangGuard guard;
  EXPECT_FALSE(settings::ReadSettingsFile(ini).has_value());
  settings::SettingsValues values;
  values.output_name = "1.csv";
  try {
    settings::StoreSettingsFile(ini, values);
    FAIL() << "storing into a FIFO reported no error";
  } catch (const platform::Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + ini + "\". ", 0), 0u)
        << e.what();
  }
  struct stat st {};
  ASSERT_EQ(::stat(ini.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the FIFO stays as it was";
  EXPECT_FALSE(settings::ReadSettingsFile("/dev/zero").has_value());
}

TEST(LongLineCancelTest, CancelIsHeardInsideALine) {
  TempDir dir;
  const std::string path = dir.File("long.csv");
  constexpr std::int64_t kSize = std::int64_t{96} << 20;
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const std::string block(1 << 20, 'x');
    for (std::int64_t written = 0; written < kSize; written += block.size())
      ASSERT_EQ(std::fwrite(block.data(), 1, block.size(), file), block.size());
    ASSERT_EQ(std::fclose(file), 0);
  }
  FakeCandidates candidates({path});
  merge::ResultTable table;
  RecordingProgress progress(0); // cancels at its first report
  EXPECT_THROW(merge::CollectFiles(
                   table, candidates, Stacked(false), [] {}, &progress),
               platform::Cancelled);
  EXPECT_GE(progress.reports, 1);
  EXPECT_LT(progress.last_total, kSize / 4) << "the line was read whole before any report";
  EXPECT_EQ(table.GetCell(0, 0), "");
}

TEST(RowLimitTest, ACollectStopsAtTheLastRowAndKeepsWhatItPlaced) {
  TempDir dir;
  WriteBytes(dir.File("five.csv"), "1\r\n2\r\n3\r\n4\r\n5\r\n");
  merge::ResultTable table;
  try {
    merge::LoadFileVertical(table, dir.File("five.csv"), INT32_MAX - 2, Stacked(false));
    FAIL() << "no error at the row limit";
  } catch (const platform::Error& e) {
    EXPECT_STREQ(e.what(), "Too many rows: a table holds at most 2147483647");
  }
  EXPECT_EQ(table.RowCount(), INT32_MAX);
  EXPECT_EQ(table.GetCell(0, INT32_MAX - 2), "1");
  EXPECT_EQ(table.GetCell(0, INT32_MAX - 1), "2");

  // Adding below a full table stops before its first row.
  FakeCandidates candidates({dir.File("five.csv")});
  EXPECT_THROW(merge::AddFiles(table, candidates, Stacked(false), [] {}), platform::Error);
  EXPECT_EQ(table.RowCount(), INT32_MAX);
  EXPECT_EQ(table.GetCell(0, INT32_MAX - 1), "2");

  merge::ResultTable side;
  EXPECT_THROW(
      merge::LoadFileHorizontal(side, dir.File("five.csv"), INT32_MAX - 1, 0, Stacked(false)),
      platform::Error);
  EXPECT_EQ(side.RowCount(), INT32_MAX);
  EXPECT_EQ(side.GetCell(0, INT32_MAX - 1), "1");
}

// A file called ".csv" has an empty name tag: it clears its cell like an
// empty field and stores nothing, so an empty line of it is an empty row.
TEST(EmptyNameTagTest, AnEmptyTagIsNoCell) {
  TempDir dir;
  WriteBytes(dir.File(".csv"), "x\r\n\r\ny\r\n");
  merge::ResultTable table;
  table.SetCell(0, 1, "old"); // where the empty line's name cell goes
  FakeCandidates candidates({dir.File(".csv")});
  merge::CollectFiles(table, candidates, Stacked(true), [] {});
  EXPECT_EQ(table.ColCount(), 2);
  EXPECT_EQ(table.RowCount(), 3);
  EXPECT_EQ(table.GetCell(0, 1), "") << "the name cell clears what was there";
  int cells = 0;
  table.ForEachCellInRow(1, 0, 100, [&](std::int32_t, std::string_view) { ++cells; });
  EXPECT_EQ(cells, 0);
  // Every column tested (the name box unticked meanwhile): the row is empty.
  merge::DeleteEmptyRows(table, false);
  EXPECT_EQ(table.GetCell(0, 0), "x");
  EXPECT_EQ(table.GetCell(0, 1), "y");
  EXPECT_EQ(table.GetCell(0, 2), "");
}

} // namespace
