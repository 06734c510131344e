#include "export/delimiter.h"
#include "export/escape_cell.h"
#include "export/save_table.h"
#include "merge/result_table.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/progress.h"
#include "tests/support/recording_progress.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using testing_support::ModeOf;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

// Rows of cells, columns as given; the table's extents become their size.
void Fill(merge::ResultTable& table, const std::vector<std::vector<std::string>>& rows) {
  std::size_t cols = 1;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    cols = std::max(cols, rows[r].size());
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      table.SetCell(static_cast<int>(c), static_cast<int>(r), rows[r][c]);
  }
  table.SetColCount(static_cast<int>(cols));
  table.SetRowCount(static_cast<int>(std::max<std::size_t>(rows.size(), 1)));
}

std::string Saved(const merge::ResultTable& table, char delimiter, bool escape, bool utf8) {
  TempDir dir;
  const std::string path = dir.File("out.csv");
  exporter::SaveTable(table, path, {delimiter, escape, utf8});
  return ReadBytes(path);
}

struct FormatCase {
  const char* what;
  std::vector<std::vector<std::string>> rows;
  char delimiter;
  bool escape;
  bool utf8;
  std::string expected;
};

TEST(SaveTableTest, WritesTheExactBytes) {
  const std::vector<FormatCase> cases = {
      {"example, escaped", {{"a", "b,c"}, {"", "d"}}, ',', true, false, "a,b#44c,\r\n,d,\r\n"},
      {"example, plain", {{"a", "b,c"}, {"", "d"}}, ',', false, false, "a,b,c,\r\n,d,\r\n"},
      {"escape runs into a digit", {{"1;2"}}, ';', true, false, "1#592;\r\n"},
      {"bytes below 32", {{std::string("\t\x01\x1f\0x", 5)}}, ',', true, false, "#9#1#31#0x,\r\n"},
      {"bytes below 32, no escape", {{"a\tb"}}, ',', false, false, "a\tb,\r\n"},
      {"tab as delimiter", {{"a\tb", "c"}}, '\t', true, false, "a#9b\tc\t\r\n"},
      {"Cyrillic delimiter", {{"\xC0\xC1", "x"}}, '\xC0', true, false, "#192\xC1\xC0x\xC0\r\n"},
      {"Cyrillic delimiter, UTF-8",
       {{"\xC0\xC1", "x"}},
       '\xC0',
       true,
       true,
       "#192\xD0\x91\xC0x\xC0\r\n"},
      {"Cyrillic delimiter, UTF-8, no escape",
       {{"\xC0\xC1"}},
       '\xC0',
       false,
       true,
       "\xD0\x90\xD0\x91\xC0\r\n"},
      {"byte 0x98 in UTF-8", {{"\x98"}}, ',', false, true, "\xC2\x98,\r\n"},
      {"escape numbers are the code page's", {{"\xC0;"}}, ';', true, true, "\xD0\x90#59;\r\n"},
      {"empty cells keep their delimiters",
       {{"", "", "z"}, {"y"}},
       ',',
       false,
       false,
       ",,z,\r\n"
       "y,,,\r\n"},
  };
  for (const auto& c : cases) {
    merge::ResultTable table;
    Fill(table, c.rows);
    EXPECT_EQ(Saved(table, c.delimiter, c.escape, c.utf8), c.expected) << c.what;
  }
}

TEST(SaveTableTest, ClearedTableIsTwoLinesOfTwoDelimiters) {
  merge::ResultTable table;
  table.SetCell(1, 1, "gone");
  table.ClearAll();
  EXPECT_EQ(Saved(table, ',', true, true), ",,\r\n,,\r\n");
}

TEST(SaveTableTest, SpaceDelimiterFromTheFourthItem) {
  merge::ResultTable table;
  Fill(table, {{"a b", "c"}});
  EXPECT_EQ(Saved(table, exporter::DelimiterFromText("        (Tab)"), true, false),
            "a#32b c \r\n");
}

TEST(SaveTableTest, CellsBeyondTheExtentsAreNotWritten) {
  merge::ResultTable table;
  Fill(table, {{"a", "b"}, {"c", "d"}});
  table.SetCell(2, 0, "beyond");
  table.SetCell(0, 2, "below");
  EXPECT_EQ(Saved(table, ';', false, false), "a;b;\r\nc;d;\r\n");
}

TEST(SaveTableTest, CellLargerThanTheBufferIsWrittenWhole) {
  merge::ResultTable table;
  const std::string big(5 << 20, '\xC0'); // more than the output buffer even before UTF-8
  Fill(table, {{"x", big}});
  const std::string saved = Saved(table, ',', false, true);
  ASSERT_EQ(saved.size(), 2 + 2 * big.size() + 1 + 2);
  EXPECT_EQ(saved.substr(0, 2), "x,");
  EXPECT_EQ(saved.substr(2, 4), "\xD0\x90\xD0\x90");
  EXPECT_EQ(saved.substr(saved.size() - 5), "\xD0\x90,\r\n");
}

// Many rows across several output buffers, with cells that grow on the way
// out and empty columns: the file must equal the text built the slow way.
TEST(SaveTableTest, LargeTableEqualsTheReferenceText) {
  merge::ResultTable table;
  const std::int32_t cols = 7;
  const std::int32_t rows = 120000;
  std::uint32_t seed = 12345;
  const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  for (std::int32_t r = 0; r < rows; ++r) {
    for (std::int32_t c = 0; c < cols; ++c) {
      if (next() % 4 == 0)
        continue; // an empty cell
      std::string cell;
      const std::uint32_t length = next() % 40;
      for (std::uint32_t i = 0; i < length; ++i)
        cell.push_back(static_cast<char>(next() >> 8));
      table.SetCell(c, r, cell);
    }
  }
  table.SetColCount(cols);
  table.SetRowCount(rows);
  for (const bool escape : {false, true}) {
    for (const bool utf8 : {false, true}) {
      std::string expected;
      for (std::int32_t r = 0; r < rows; ++r) {
        for (std::int32_t c = 0; c < cols; ++c) {
          std::string cell(table.GetCell(c, r));
          if (escape)
            cell = exporter::EscapeCell(cell, ';');
          if (utf8)
            cell = platform::Cp1251ToUtf8(cell);
          expected += cell;
          expected += ';';
        }
        expected += "\r\n";
      }
      ASSERT_GT(expected.size(), std::size_t{9} << 20);
      EXPECT_TRUE(Saved(table, ';', escape, utf8) == expected) << escape << utf8;
    }
  }
}

TEST(SaveTableTest, ReplacesAnExistingFileKeepingItsPermissions) {
  TempDir dir;
  const std::string path = dir.File("out.csv");
  WriteBytes(path, "an older and longer content\r\n");
  ::chmod(path.c_str(), 0640);
  merge::ResultTable table;
  Fill(table, {{"new"}});
  exporter::SaveTable(table, path, {});
  exporter::SaveTable(table, path, {});
  EXPECT_EQ(ReadBytes(path), "new,\r\n");
  EXPECT_EQ(ModeOf(path), 0640u);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.csv"});
}

TEST(SaveTableTest, NewFileGetsTheUsualPermissions) {
  TempDir dir;
  const std::string path = dir.File("new.csv");
  const mode_t mask = ::umask(022);
  merge::ResultTable table;
  exporter::SaveTable(table, path, {});
  ::umask(mask);
  EXPECT_EQ(ModeOf(path), 0644u);
}

TEST(SaveTableTest, RelativeNameIsInTheCurrentDirectory) {
  TempDir dir;
  char old[4096];
  ASSERT_NE(::getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  merge::ResultTable table;
  exporter::SaveTable(table, "1.csv", {});
  ASSERT_EQ(::chdir(old), 0);
  EXPECT_EQ(ReadBytes(dir.File("1.csv")), ",,\r\n,,\r\n");
}

TEST(SaveTableTest, SymbolicLinkKeepsPointingAtTheReplacedFile) {
  TempDir dir;
  WriteBytes(dir.File("real.csv"), "old\r\n");
  ASSERT_EQ(::symlink("real.csv", dir.File("link.csv").c_str()), 0);
  merge::ResultTable table;
  exporter::SaveTable(table, dir.File("link.csv"), {});
  EXPECT_EQ(ReadBytes(dir.File("real.csv")), ",,\r\n,,\r\n");
  struct stat st {};
  ASSERT_EQ(::lstat(dir.File("link.csv").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// --- Failures ---------------------------------------------------------------

// Runs the save and returns the error's number and message.
std::pair<int, std::string> SaveError(const std::string& path) {
  merge::ResultTable table;
  Fill(table, {{"new", "content"}});
  try {
    exporter::SaveTable(table, path, {});
  } catch (const platform::FileError& e) {
    return {e.number(), e.what()};
  }
  return {0, "no error"};
}

TEST(SaveTableErrorTest, EmptyNameIsRefusedBeforeAnythingIsOpened) {
  TempDir dir;
  char old[4096];
  ASSERT_NE(::getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(::chdir(dir.path().c_str()), 0);
  const auto error = SaveError("");
  ASSERT_EQ(::chdir(old), 0);
  EXPECT_EQ(error, std::make_pair(3, std::string("Invalid filename")));
  EXPECT_TRUE(dir.Names().empty());
}

TEST(SaveTableErrorTest, MissingDirectoryIsAnInvalidFilename) {
  TempDir dir;
  EXPECT_EQ(SaveError(dir.File("no/such/out.csv")),
            std::make_pair(3, std::string("Invalid filename")));
}

TEST(SaveTableErrorTest, DirectoryAsTargetIsDenied) {
  TempDir dir;
  EXPECT_EQ(SaveError(dir.path()), std::make_pair(5, std::string("File access denied")));
}

TEST(SaveTableErrorTest, ReadOnlyFileIsDeniedAndKept) {
  TempDir dir;
  const std::string path = dir.File("ro.csv");
  WriteBytes(path, "keep\r\n");
  ::chmod(path.c_str(), 0444); // read-only by its mode bits, even for root
  EXPECT_EQ(SaveError(path), std::make_pair(5, std::string("File access denied")));
  EXPECT_EQ(ReadBytes(path), "keep\r\n");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"ro.csv"});
}

// A directory closed for writing takes no new file, but a writable file in
// it is written in place, as a plain rewrite would.
TEST(SaveTableErrorTest, DirectoryClosedForWritingTakesNoNewFile) {
  TempDir dir;
  ::mkdir(dir.File("closed").c_str(), 0755);
  const std::string path = dir.File("closed/out.csv");
  WriteBytes(path, "an older and longer content\r\n");
  ::chmod(dir.File("closed").c_str(), 0555);
  merge::ResultTable table;
  Fill(table, {{"new"}});
  exporter::SaveTable(table, path, {});
  EXPECT_EQ(ReadBytes(path), "new,\r\n");
  EXPECT_EQ(SaveError(dir.File("closed/new.csv")),
            std::make_pair(5, std::string("File access denied")));
  ::chmod(dir.File("closed").c_str(), 0755);
}

TEST(SaveTableErrorTest, FileLockedElsewhereIsASharingViolationAndKept) {
  TempDir dir;
  const std::string path = dir.File("locked.csv");
  WriteBytes(path, "keep\r\n");
  // Another open file description holding the exclusive lock, as another
  // program would.
  const int other = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(SaveError(path), std::make_pair(32, std::string("I/O error 32")));
  ::close(other);
  EXPECT_EQ(ReadBytes(path), "keep\r\n");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"locked.csv"});
  // A shared lock (a reader) blocks the writer too.
  const int reader = ::open(path.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(reader, LOCK_SH | LOCK_NB), 0);
  EXPECT_EQ(SaveError(path).first, 32);
  ::close(reader);
  EXPECT_EQ(SaveError(path).first, 0); // free again
}

// --- Progress ---------------------------------------------------------------

using testing_support::RecordingProgress;

TEST(SaveTableProgressTest, ReportsTheBytesWritten) {
  TempDir dir;
  merge::ResultTable table;
  Fill(table, {{"a", "b"}, {"c", std::string(9 << 20, 'z')}});
  RecordingProgress progress;
  exporter::SaveTable(table, dir.File("out.csv"), {}, &progress);
  EXPECT_EQ(progress.files.size(), 1u);
  EXPECT_EQ(progress.last_total, static_cast<std::int64_t>(ReadBytes(dir.File("out.csv")).size()));
}

TEST(SaveTableProgressTest, CancelledSaveLeavesTheEarlierFileWhole) {
  TempDir dir;
  const std::string path = dir.File("out.csv");
  WriteBytes(path, "earlier\r\n");
  merge::ResultTable table;
  Fill(table, {{std::string(9 << 20, 'z')}});
  RecordingProgress progress(0); // cancels at the first report
  EXPECT_THROW(exporter::SaveTable(table, path, {}, &progress), platform::Cancelled);
  EXPECT_EQ(ReadBytes(path), "earlier\r\n");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.csv"});
}

} // namespace
