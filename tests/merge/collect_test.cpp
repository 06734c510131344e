#include "merge/collect.h"

#include "platform/errors.h"
#include "tests/support/collect_test_support.h"
#include "tests/support/load_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using merge::CollectOptions;
using merge::ResultTable;
using testing_support::Cells;
using testing_support::FakeCandidates;
using testing_support::Grid;
using testing_support::TempDir;

CollectOptions Stacked() {
  CollectOptions o;
  o.delimiter_text = ",";
  return o;
}

CollectOptions SideBySide() {
  CollectOptions o = Stacked();
  o.side_by_side = true;
  return o;
}

class Collect : public ::testing::Test {
protected:
  void Collect1(const CollectOptions& options, std::vector<FakeCandidates::Item> items) {
    FakeCandidates candidates(dir, std::move(items));
    merge::CollectFiles(table, candidates, options, [&] { ++after_items; });
  }

  TempDir dir;
  ResultTable table;
  int after_items = 0;
};

TEST_F(Collect, StackedThreeFields) {
  dir.Write("a.csv", "1,2,3\n4,5,6\n");
  Collect1(Stacked(), {{"a.csv"}});
  EXPECT_EQ(Cells(table, 5, 3),
            (Grid{{"1", "2", "3", "a", ""}, {"4", "5", "6", "a", ""}, {"", "", "", "", ""}}));
  EXPECT_EQ(table.ColCount(), 4);
  EXPECT_EQ(table.RowCount(), 2);
  EXPECT_EQ(after_items, 1);
}

// The name cell at ColCount raises ColCount to take it in.
// Cells hold Windows-1251: a Cyrillic file name (UTF-8 on disk) is turned
// into it, while the file itself is still opened by its real name.
TEST_F(Collect, FileNameCellIsCodePageText) {
  dir.Write("отчёт.csv", "1\n");
  Collect1(Stacked(), {{"отчёт.csv"}});
  EXPECT_EQ(table.GetCell(0, 0), "1");
  EXPECT_EQ(table.GetCell(1, 0), "\xEE\xF2\xF7\xB8\xF2");
}

TEST_F(Collect, StackedNameCellAtColCountIsTakenIn) {
  dir.Write("a.csv", "1,2\n3,4\n");
  Collect1(Stacked(), {{"a.csv"}});
  EXPECT_EQ(Cells(table, 3, 2), (Grid{{"1", "2", "a"}, {"3", "4", "a"}}));
  EXPECT_EQ(table.ColCount(), 3);
  EXPECT_EQ(table.RowCount(), 2);
}

TEST_F(Collect, StackedFiveFieldsRaiseColCountByTwos) {
  dir.Write("a.csv", "1,2,3,4,5\n");
  Collect1(Stacked(), {{"a.csv"}});
  EXPECT_EQ(table.ColCount(), 6);
  EXPECT_EQ(table.GetCell(5, 0), "a");
}

TEST_F(Collect, StackedWithoutNamesLeavesColCountToTheFields) {
  dir.Write("a.csv", "1,2\n3,4\n5,6,7,8\n");
  CollectOptions o = Stacked();
  o.add_file_name = false;
  Collect1(o, {{"a.csv"}});
  // Two fields stay inside; the third raises ColCount to 4, the fourth is inside it.
  EXPECT_EQ(table.ColCount(), 4);
  EXPECT_EQ(table.GetCell(3, 2), "8");
  EXPECT_EQ(table.GetCell(2, 0), "");
}

TEST_F(Collect, StackedEmptyLineTakesARowWithOnlyTheName) {
  dir.Write("a.csv", "1,2\n\n3\n");
  Collect1(Stacked(), {{"a.csv"}});
  EXPECT_EQ(Cells(table, 3, 3), (Grid{{"1", "2", "a"}, {"a", "", ""}, {"3", "a", ""}}));
  EXPECT_EQ(table.RowCount(), 3);
}

TEST_F(Collect, StackedFullPathTagAndEmptyFieldsRemoveOldCells) {
  dir.Write("a.csv", ",x\n");
  table.SetCell(0, 0, "old");
  table.SetCell(5, 0, "beyond");
  CollectOptions o = Stacked();
  o.name_only = false;
  Collect1(o, {{"a.csv"}});
  EXPECT_EQ(table.GetCell(0, 0), "");
  EXPECT_EQ(table.GetCell(1, 0), "x");
  EXPECT_EQ(table.GetCell(2, 0), dir.File("a.csv"));
  EXPECT_EQ(table.GetCell(5, 0), ""); // a table that held something is cleared first
}

// A first file of one line fills row 0; the next starts at RowCount (2).
TEST_F(Collect, StackedNextFileStartsAtRowCount) {
  dir.Write("a.csv", "1\n");
  dir.Write("b.csv", "2\n3\n");
  Collect1(Stacked(), {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(Cells(table, 2, 4), (Grid{{"1", "a"}, {"", ""}, {"2", "b"}, {"3", "b"}}));
  EXPECT_EQ(table.RowCount(), 4);
  EXPECT_EQ(after_items, 2);
}

TEST_F(Collect, SkipCountDropsLinesOfEveryFile) {
  dir.Write("a.csv", "h\n1\n2\n");
  dir.Write("b.csv", "h\n3\n");
  CollectOptions o = Stacked();
  o.skip_count = 1;
  o.add_file_name = false;
  Collect1(o, {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(Cells(table, 1, 3), (Grid{{"1"}, {"2"}, {"3"}}));
}

TEST_F(Collect, SideBySideTwoFiles) {
  dir.Write("a.csv", "1,2,3\n4,5,6\n");
  dir.Write("b.csv", "7,8\n9,10\n");
  Collect1(SideBySide(), {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(Cells(table, 10, 2), (Grid{{"", "", "1", "2", "3", "a", "7", "8", "b", ""},
                                       {"", "", "4", "5", "6", "a", "9", "10", "b", ""}}));
  EXPECT_EQ(table.ColCount(), 9);
  EXPECT_EQ(table.RowCount(), 2);
}

// A last row shorter than the earlier ones never lowers ColCount: the next
// file starts right of everything the file filled.
TEST_F(Collect, SideBySideShortLastRowDoesNotLowerColCount) {
  dir.Write("a.csv", "1,2,3\n\n");
  dir.Write("b.csv", "x\n");
  Collect1(SideBySide(), {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(Cells(table, 8, 2),
            (Grid{{"", "", "1", "2", "3", "a", "x", "b"}, {"", "", "a", "", "", "", "", ""}}));
  EXPECT_EQ(table.ColCount(), 8);
}

TEST_F(Collect, SideBySideWithoutNames) {
  dir.Write("a.csv", "1,2,3\n4,5,6\n");
  dir.Write("b.csv", "7\n");
  CollectOptions o = SideBySide();
  o.add_file_name = false;
  Collect1(o, {{"a.csv"}});
  EXPECT_EQ(table.ColCount(), 6);
  EXPECT_EQ(table.GetCell(5, 0), "");
  Collect1(o, {{"b.csv"}});
  EXPECT_EQ(table.GetCell(6, 0), "7");
  EXPECT_EQ(table.ColCount(), 8);
}

// A name cell landing at ColCount in a side-by-side row is taken in at once.
TEST_F(Collect, SideBySideNameCellAtColCountIsTakenIn) {
  dir.Write("a.csv", "1,2\n");
  Collect1(SideBySide(), {{"a.csv"}});
  // 1 at column 2 (ColCount 4), 2 at column 3, the name at column 4 = ColCount.
  EXPECT_EQ(table.GetCell(4, 0), "a");
  EXPECT_EQ(table.ColCount(), 5);
}

// A file that places no row (all lines dropped) leaves ColCount alone.
TEST_F(Collect, SideBySideFileWithoutRowsLeavesColCount) {
  dir.Write("a.csv", "only\n");
  dir.Write("b.csv", "1\n");
  CollectOptions o = SideBySide();
  o.skip_count = 1;
  Collect1(o, {{"a.csv"}, {"b.csv"}});
  EXPECT_EQ(table.ColCount(), 2);
  EXPECT_EQ(table.RowCount(), 2);
  EXPECT_EQ(Cells(table, 4, 2), (Grid{{"", "", "", ""}, {"", "", "", ""}}));
}

// Stacked again into a table that holds something gives the table the first
// collect gave; side by side starts right of the old columns.
TEST_F(Collect, AgainStackedClearsFirstSideBySideGoesRight) {
  dir.Write("a.csv", "1,2,3\n");
  Collect1(Stacked(), {{"a.csv"}});
  dir.Write("a.csv", "9\n");
  Collect1(Stacked(), {{"a.csv"}});
  EXPECT_EQ(Cells(table, 4, 1), (Grid{{"9", "a", "", ""}}));
  EXPECT_EQ(table.ColCount(), 2);
  Collect1(SideBySide(), {{"a.csv"}});
  EXPECT_EQ(Cells(table, 4, 1), (Grid{{"9", "a", "9", "a"}}));
}

TEST_F(Collect, NothingTickedOrEmptyListLeavesTheTable) {
  dir.Write("a.csv", "1\n");
  table.SetCell(0, 0, "keep");
  Collect1(Stacked(), {});
  Collect1(Stacked(), {{"a.csv", false}});
  Collect1(SideBySide(), {{"a.csv", false}});
  EXPECT_EQ(table.GetCell(0, 0), "keep");
  EXPECT_EQ(table.ColCount(), 2);
  EXPECT_EQ(table.RowCount(), 2);
  EXPECT_EQ(after_items, 2);
}

TEST_F(Collect, MissingFileAndItemWithoutEntryAreSkipped) {
  dir.Write("b.csv", "2\n");
  FakeCandidates candidates(dir, {{"gone.csv"}, {"b.csv"}, {"c.csv"}}, 2);
  merge::CollectFiles(table, candidates, Stacked(), [&] { ++after_items; });
  // A skipped ticked file still moves the start row to RowCount.
  EXPECT_EQ(Cells(table, 2, 3), (Grid{{"", ""}, {"", ""}, {"2", "b"}}));
  EXPECT_EQ(table.RowCount(), 3);
  EXPECT_EQ(after_items, 3);
  EXPECT_EQ(candidates.selections, (std::vector<int>{0, 1, 2}));
}

// The files of one collect are read through one buffer: a line longer than
// the buffer, a last line without LF, a directory and a missing file in
// between leave nothing behind for the next file, stacked or side by side.
TEST_F(Collect, FilesReadOneAfterAnotherLeaveNothingBehind) {
  const std::string long_field(3 << 20, 'x');
  dir.Write("a.csv", "1," + long_field + "\n2,tail");
  ASSERT_EQ(::mkdir(dir.File("d.csv").c_str(), 0755), 0);
  dir.Write("b.csv", "3\r\n4");
  dir.Write("c.csv", "");
  Collect1(Stacked(), {{"a.csv"}, {"d.csv"}, {"gone.csv"}, {"b.csv"}, {"c.csv"}});
  EXPECT_EQ(Cells(table, 4, 6), (Grid{{"1", long_field, "a", ""},
                                      {"2", "tail", "a", ""},
                                      {"3", "b", "", ""},
                                      {"4", "b", "", ""},
                                      {"c", "", "", ""},
                                      {"", "", "", ""}}));
  EXPECT_EQ(table.RowCount(), 5);

  ResultTable side;
  FakeCandidates candidates(dir, {{"b.csv"}, {"d.csv"}, {"a.csv"}});
  merge::CollectFiles(side, candidates, SideBySide(), nullptr);
  EXPECT_EQ(Cells(side, 8, 2), (Grid{{"", "", "3", "b", "1", long_field, "a", ""},
                                     {"", "", "4", "b", "2", "tail", "a", ""}}));
  EXPECT_EQ(side.ColCount(), 7);
}

// A read failure in the middle of a file keeps the lines before it: a
// progress that cancels after the first block stands in for it here.
// Root reads any file: the check runs in a child that drops to nobody and
// reports the error number (or 0) through its exit status.
TEST_F(Collect, UnreadableFileIsAccessDeniedKeepingEarlierRows) {
  dir.Write("a.csv", "1\n");
  const std::string secret = dir.Write("b.csv", "2\n");
  ASSERT_EQ(::chmod(secret.c_str(), 0), 0);
  auto collect = [&]() -> int {
    FakeCandidates candidates(dir, {{"a.csv"}, {"b.csv"}});
    try {
      merge::CollectFiles(table, candidates, Stacked(), nullptr);
      return 0;
    } catch (const platform::FileError& e) {
      const bool kept = table.GetCell(0, 0) == "1" && table.GetCell(1, 0) == "a";
      const bool message = std::string(e.what()) == "File access denied";
      return kept && message ? e.number() : 100;
    }
  };
  int code;
  if (::geteuid() != 0) {
    code = collect();
  } else {
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
        ::_exit(200);
      ::_exit(collect());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    code = WIFEXITED(status) ? WEXITSTATUS(status) : 255;
  }
  EXPECT_EQ(code, 5);
}

TEST_F(Collect, CancelInTheMiddleKeepsPlacedRows) {
  std::string big;
  for (int i = 0; i < 800000; ++i)
    big += "line," + std::to_string(i) + "\n"; // about 10 MB: several reports
  dir.Write("a.csv", big);
  dir.Write("b.csv", "x\n");
  FakeCandidates candidates(dir, {{"a.csv"}, {"b.csv"}});
  testing_support::RecordingProgress progress(std::int64_t{4} << 20);
  EXPECT_THROW(merge::CollectFiles(
                   table, candidates, Stacked(), [&] { ++after_items; }, &progress),
               platform::Cancelled);
  EXPECT_EQ(after_items, 0);
  EXPECT_GT(table.RowCount(), 2);
  EXPECT_LT(table.RowCount(), 800000);
  EXPECT_EQ(table.GetCell(0, 0), "line");
  EXPECT_EQ(table.GetCell(1, table.RowCount() - 1), std::to_string(table.RowCount() - 1));
  EXPECT_EQ(table.ColCount(), 3);
}

TEST_F(Collect, ProgressHearsEachFileAndTheBytes) {
  const std::string a = dir.Write("a.csv", "1,2\n");
  const std::string b = dir.Write("b.csv", "3\n");
  FakeCandidates candidates(dir, {{"a.csv"}, {"missing.csv"}, {"b.csv"}});
  testing_support::RecordingProgress progress;
  merge::CollectFiles(table, candidates, Stacked(), nullptr, &progress);
  EXPECT_EQ(progress.files, (std::vector<std::string>{a, b}));
  EXPECT_EQ(progress.sizes, (std::vector<std::int64_t>{4, 2}));
  EXPECT_EQ(progress.last_total, 6);
}

// Before reading anything, every driver tells the whole job: the ticked files
// that will be read (a missing or unticked one counts for nothing) and their
// bytes in all, so that one bar can run over the whole collect.
TEST_F(Collect, ProgressHearsTheWholeJobFirst) {
  dir.Write("a.csv", "1,2\n");
  dir.Write("b.csv", "3\n");
  dir.Write("c.csv", "4,5,6\n");
  using Job = testing_support::RecordingProgress::Job;
  const auto job_of = [&](auto driver, merge::CollectOptions options) {
    FakeCandidates candidates(dir, {{"a.csv"}, {"missing.csv"}, {"b.csv", false}, {"c.csv"}});
    testing_support::RecordingProgress progress;
    driver(table, candidates, options, nullptr, &progress);
    EXPECT_EQ(progress.files.size(), 2u);
    return progress.jobs;
  };
  const std::vector<Job> expected = {{2, 4 + 6, 0}};
  EXPECT_EQ(job_of(merge::CollectFiles, Stacked()), expected);
  merge::CollectOptions side_by_side = Stacked();
  side_by_side.side_by_side = true;
  EXPECT_EQ(job_of(merge::CollectFiles, side_by_side), expected);
  EXPECT_EQ(job_of(merge::CollectAgain, Stacked()), expected);
  EXPECT_EQ(job_of(merge::AddFiles, Stacked()), expected);
}

// A view attached to the table hears one reset for the whole collect.
TEST_F(Collect, ViewHearsOneResetForTheWholeCollect) {
  struct CountingObserver : merge::TableObserver {
    void CellChanged(std::int32_t, std::int32_t) override { ++other; }
    void ExtentsChanged(std::int32_t, std::int32_t) override { ++other; }
    void RowChanged(std::int32_t) override { ++other; }
    void RowMoved(std::int32_t, std::int32_t) override { ++other; }
    void ColumnMoved(std::int32_t, std::int32_t) override { ++other; }
    void TableReset() override { ++resets; }
    int resets = 0;
    int other = 0;
  } observer;
  table.SetObserver(&observer);
  dir.Write("a.csv", "1,2,3\n4,5,6\n7\n");
  Collect1(Stacked(), {{"a.csv"}});
  EXPECT_EQ(observer.resets, 1);
  EXPECT_EQ(observer.other, 0);
  table.SetObserver(nullptr);
}

TEST_F(Collect, N6ClearsAndStacksFromRowZeroWithoutSkipping) {
  for (int r = 0; r < 500; ++r)
    table.SetCell(39, r, "old");
  table.SetColCount(40);
  table.SetRowCount(500);
  dir.Write("a.csv", "h\n1\n");
  CollectOptions o = SideBySide();
  o.skip_count = 1;
  FakeCandidates candidates(dir, {{"a.csv"}});
  merge::CollectAgain(table, candidates, o, [&] { ++after_items; });
  EXPECT_EQ(Cells(table, 3, 2), (Grid{{"h", "a", ""}, {"1", "a", ""}}));
  EXPECT_EQ(table.GetCell(39, 0), "");
  EXPECT_EQ(table.ColCount(), 2);
  EXPECT_EQ(table.RowCount(), 2);
  EXPECT_EQ(after_items, 1);
}

TEST_F(Collect, N6UntickedFirstItemMovesTheStartRow) {
  dir.Write("a.csv", "1\n");
  dir.Write("b.csv", "2\n");
  FakeCandidates candidates(dir, {{"a.csv", false}, {"b.csv"}});
  merge::CollectAgain(table, candidates, Stacked(), nullptr);
  EXPECT_EQ(Cells(table, 2, 3), (Grid{{"", ""}, {"", ""}, {"2", "b"}}));
  EXPECT_EQ(table.RowCount(), 3);
}

TEST_F(Collect, N6EmptyListLeavesAnEmptyTwoByTwoTable) {
  table.SetCell(1, 1, "x");
  table.SetColCount(7);
  FakeCandidates candidates(dir, {});
  merge::CollectAgain(table, candidates, Stacked(), nullptr);
  EXPECT_EQ(table.GetCell(1, 1), "");
  EXPECT_EQ(table.ColCount(), 2);
  EXPECT_EQ(table.RowCount(), 2);
}

TEST_F(Collect, N7StacksBelowRowCountWhateverTheDirection) {
  table.SetRowCount(7);
  table.SetCell(0, 6, "keep");
  dir.Write("a.csv", "h\n1\n");
  CollectOptions o = SideBySide();
  o.skip_count = 5;
  FakeCandidates candidates(dir, {{"a.csv"}, {"a.csv"}});
  merge::AddFiles(table, candidates, o, [&] { ++after_items; });
  EXPECT_EQ(table.GetCell(0, 6), "keep");
  EXPECT_EQ(Cells(table, 2, 4), (Grid{{"", ""}, {"", ""}, {"", ""}, {"", ""}}));
  EXPECT_EQ(table.GetCell(0, 7), "h");
  EXPECT_EQ(table.GetCell(0, 8), "1");
  EXPECT_EQ(table.GetCell(0, 9), "h");
  EXPECT_EQ(table.GetCell(1, 10), "a");
  EXPECT_EQ(table.RowCount(), 11);
  EXPECT_EQ(after_items, 2);
}

TEST_F(Collect, EmptyDelimiterTextMakesEachLineOneField) {
  dir.Write("a.csv", "1,2;3\n\n");
  CollectOptions o = Stacked();
  o.delimiter_text = "";
  Collect1(o, {{"a.csv"}});
  EXPECT_EQ(Cells(table, 2, 2), (Grid{{"1,2;3", "a"}, {"a", ""}}));
}

TEST(LoadFile, VerticalAndHorizontalStartWhereTold) {
  TempDir dir;
  ResultTable table;
  const std::string path = dir.Write("f.csv", "1\n2\n");
  merge::LoadFileVertical(table, path, 5, Stacked());
  EXPECT_EQ(table.GetCell(0, 5), "1");
  EXPECT_EQ(table.GetCell(0, 6), "2");
  EXPECT_EQ(table.RowCount(), 7);
  merge::LoadFileHorizontal(table, path, 1, 4, Stacked());
  EXPECT_EQ(table.GetCell(4, 1), "1");
  EXPECT_EQ(table.GetCell(5, 2), "f");
  EXPECT_EQ(table.ColCount(), 6);
}

} // namespace
