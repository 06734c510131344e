// Collecting from sources that fight back: a file locked by another process
// halfway through, one huge line, random bytes, ten thousand files.

#include "merge/collect.h"
#include "merge/result_table.h"
#include "platform/directory.h"
#include "platform/errors.h"
#include "tests/support/fault_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using faults::FakeCandidates;
using faults::TempDir;
using faults::WriteBytes;

merge::CollectOptions Stacked(bool add_file_name) {
  merge::CollectOptions options;
  options.delimiter_text = ",";
  options.add_file_name = add_file_name;
  options.name_only = true;
  options.side_by_side = false;
  return options;
}

// Another process holding a write lock on a file until this object goes.
class LockingProcess {
public:
  explicit LockingProcess(const std::string& path) {
    int ready[2];
    int release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0)
      throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ == 0) { // the child: only calls that are safe after fork
      ::close(ready[0]);
      ::close(release[1]);
      const int fd = ::open(path.c_str(), O_RDWR);
      const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
      (void)!::write(ready[1], &ok, 1);
      char ignored;
      (void)!::read(release[0], &ignored, 1); // returns when the parent closes its end
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    char ok = '0';
    locked_ = ::read(ready[0], &ok, 1) == 1 && ok == '1';
    ::close(ready[0]);
  }
  ~LockingProcess() {
    ::close(release_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  LockingProcess(const LockingProcess&) = delete;
  LockingProcess& operator=(const LockingProcess&) = delete;

  bool locked() const { return locked_; }

private:
  pid_t pid_ = -1;
  int release_ = -1;
  bool locked_ = false;
};

// With quotes read or not.
class LockedSourceTest : public ::testing::TestWithParam<bool> {};

TEST_P(LockedSourceTest, CollectStopsAtTheLockedFileAndKeepsTheRowsBefore) {
  merge::CollectOptions options = Stacked(true);
  options.quotes = GetParam();
  TempDir dir;
  WriteBytes(dir.File("a.csv"), "1,2\r\n3,4\r\n");
  WriteBytes(dir.File("b.csv"), "5,6\r\n");
  WriteBytes(dir.File("c.csv"), "locked,away\r\n");
  WriteBytes(dir.File("d.csv"), "never,read\r\n");
  FakeCandidates candidates(
      {dir.File("a.csv"), dir.File("b.csv"), dir.File("c.csv"), dir.File("d.csv")});
  merge::ResultTable table;
  int items_done = 0;
  {
    LockingProcess holder(dir.File("c.csv"));
    ASSERT_TRUE(holder.locked());
    try {
      merge::CollectFiles(table, candidates, options, [&] { ++items_done; });
      FAIL() << "a locked source file reported no error";
    } catch (const platform::FileError& e) {
      EXPECT_EQ(e.number(), 32);
      EXPECT_STREQ(e.what(), "I/O error 32");
    }
  }
  EXPECT_EQ(items_done, 2); // the failing item's caption step does not run
  EXPECT_EQ(candidates.selections, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(table.ColCount(), 3);
  EXPECT_EQ(table.RowCount(), 3);
  const std::vector<std::vector<std::string>> want = {
      {"1", "2", "a"}, {"3", "4", "a"}, {"5", "6", "b"}, {"", "", ""}};
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 3; ++col)
      EXPECT_EQ(table.GetCell(col, row), want[row][col]) << "col " << col << " row " << row;

  // The lock gone, the same file reads again, into the cleared table.
  merge::CollectFiles(table, candidates, options, [] {});
  EXPECT_EQ(table.GetCell(0, 2), "5");
  EXPECT_EQ(table.GetCell(0, 3), "locked");
  EXPECT_EQ(table.GetCell(0, 4), "never");
}

INSTANTIATE_TEST_SUITE_P(QuotesOffAndOn, LockedSourceTest, ::testing::Bool());

// One line of 200 MiB without any line end.
constexpr std::int64_t kHugeLine = std::int64_t{200} << 20;

TEST(HugeLineTest, OneLineWithoutALineEndBecomesOneRow) {
  TempDir dir;
  const std::string path = dir.File("huge.csv");
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::string block(1 << 20, 'x');
    block[0] = 'A';
    for (std::int64_t written = 0; written < kHugeLine; written += block.size()) {
      // A delimiter halfway: two huge fields.
      block.back() = written + std::int64_t(block.size()) == kHugeLine / 2 ? ',' : 'z';
      ASSERT_EQ(std::fwrite(block.data(), 1, block.size(), file), block.size());
    }
    ASSERT_EQ(std::fclose(file), 0);
  }
  FakeCandidates candidates({path});
  merge::ResultTable table;
  merge::CollectFiles(table, candidates, Stacked(true), [] {});
  EXPECT_EQ(table.RowCount(), 2); // the start extents: row 0 only was written
  EXPECT_EQ(table.ColCount(), 3); // grown to take in the name cell
  const std::string_view first = table.GetCell(0, 0);
  const std::string_view second = table.GetCell(1, 0);
  EXPECT_EQ(first.size(), static_cast<std::size_t>(kHugeLine / 2 - 1));
  EXPECT_EQ(second.size(), static_cast<std::size_t>(kHugeLine / 2));
  EXPECT_EQ(first.substr(0, 2), "Ax");
  EXPECT_EQ(second.substr(second.size() - 2), "xz");
  EXPECT_EQ(table.GetCell(2, 0), "huge");
  EXPECT_EQ(table.GetCell(0, 1), "");
}

// The rows a stacked collect must give for `bytes`: the data ends at the
// first byte 26, LF ends a line, CRs vanish, fields split at ",".
std::vector<std::vector<std::string>> ModelRows(const std::string& bytes) {
  const std::string data = bytes.substr(0, bytes.find('\x1a'));
  std::vector<std::string> lines(1);
  for (const char ch : data) {
    if (ch == '\n')
      lines.emplace_back();
    else if (ch != '\r')
      lines.back().push_back(ch);
  }
  if (!data.empty() && data.back() == '\n')
    lines.pop_back();
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : lines) {
    std::vector<std::string> fields;
    if (!line.empty()) {
      std::string field;
      for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ',') {
          fields.push_back(field);
          field.clear();
        } else {
          field.push_back(line[i]);
        }
      }
      if (line.back() != ',')
        fields.push_back(field);
    }
    rows.push_back(fields);
  }
  return rows;
}

TEST(RandomBytesTest, CollectedAsTheLineRulesSayUpToTheFirstCtrlZ) {
  TempDir dir;
  std::mt19937 random(20261208);
  // Random bytes; byte 26 kept out of the first 256 KiB so that the data
  // does not end at once, then one, then more random bytes never read.
  std::string bytes;
  for (int i = 0; i < (256 << 10); ++i) {
    char ch = static_cast<char>(random() & 0xFF);
    bytes.push_back(ch == '\x1a' ? '\n' : ch);
  }
  bytes.push_back('\x1a');
  for (int i = 0; i < 4096; ++i)
    bytes.push_back(static_cast<char>(random() & 0xFF));
  const std::string path = dir.File("random.csv");
  WriteBytes(path, bytes);

  FakeCandidates candidates({path});
  merge::ResultTable table;
  merge::CollectFiles(table, candidates, Stacked(false), [] {});
  const auto rows = ModelRows(bytes);
  ASSERT_EQ(table.RowCount(), std::max<std::int32_t>(2, static_cast<std::int32_t>(rows.size())));
  for (std::size_t row = 0; row < rows.size(); ++row) {
    for (std::size_t col = 0; col < rows[row].size(); ++col)
      ASSERT_EQ(table.GetCell(static_cast<std::int32_t>(col), static_cast<std::int32_t>(row)),
                rows[row][col])
          << "col " << col << " row " << row;
    ASSERT_EQ(
        table.GetCell(static_cast<std::int32_t>(rows[row].size()), static_cast<std::int32_t>(row)),
        "");
  }
  EXPECT_EQ(table.GetCell(0, static_cast<std::int32_t>(rows.size())), "");
}

TEST(ManyFilesTest, TenThousandFilesInOneCollect) {
  TempDir dir;
  constexpr int kFiles = 10000;
  for (int i = 0; i < kFiles; ++i) {
    const std::string n = std::to_string(i);
    WriteBytes(dir.File("f" + n + ".csv"), n + ",first\r\n" + n + ",second\r\n");
  }
  // The directory listing as the first page reads it: numbers in numeric order.
  const std::vector<std::string> names = platform::ListCsvFiles(dir.path());
  ASSERT_EQ(names.size(), static_cast<std::size_t>(kFiles));
  EXPECT_EQ(names[0], "f0.csv");
  EXPECT_EQ(names[2], "f2.csv");
  EXPECT_EQ(names[10], "f10.csv");
  EXPECT_EQ(names.back(), "f9999.csv");
  std::vector<std::string> paths;
  for (const std::string& name : names)
    paths.push_back(dir.File(name));

  FakeCandidates candidates(paths);
  merge::ResultTable table;
  int items_done = 0;
  merge::CollectFiles(table, candidates, Stacked(true), [&] { ++items_done; });
  EXPECT_EQ(items_done, kFiles);
  ASSERT_EQ(table.RowCount(), 2 * kFiles);
  EXPECT_EQ(table.ColCount(), 3); // grown to take in the name cell
  for (int i = 0; i < kFiles; i += 997) {
    const std::string n = std::to_string(i);
    EXPECT_EQ(table.GetCell(0, 2 * i), n);
    EXPECT_EQ(table.GetCell(1, 2 * i), "first");
    EXPECT_EQ(table.GetCell(2, 2 * i), "f" + n);
    EXPECT_EQ(table.GetCell(1, 2 * i + 1), "second");
  }
  EXPECT_EQ(table.GetCell(2, 2 * kFiles - 1), "f9999");
}

} // namespace
