#include "merge/line_reader.h"

#include "merge/read_source_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using testing_support::TempDir;

// Every line the reader gives, in the order ReadSourceFile reads them.
std::vector<std::string> ReadAllLines(const std::string& path, std::size_t block_size) {
  merge::LineReader reader(path, block_size);
  std::vector<std::string> lines;
  do {
    lines.emplace_back(reader.NextLine());
  } while (!reader.AtDataEnd());
  return lines;
}

struct LineCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> lines;
};

void PrintTo(const LineCase& c, std::ostream* os) {
  *os << c.name;
}

class LineEnds : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineEnds, GiveTheseLines) {
  const LineCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.Write("f.csv", c.bytes);
  // Small blocks too, so that lines, CR LF pairs and byte 26 straddle blocks.
  for (std::size_t block : {std::size_t{16}, std::size_t{17}, merge::LineReader::kDefaultBlockSize})
    EXPECT_EQ(ReadAllLines(path, block), c.lines) << "block " << block;
}

const std::string kZ(1, '\x1a');

INSTANTIATE_TEST_SUITE_P(
    Bytes, LineEnds,
    ::testing::Values(LineCase{"Empty", "", {""}}, LineCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                      LineCase{"LfLf", "a\n\n", {"a", ""}}, LineCase{"NoTerminator", "a", {"a"}},
                      LineCase{"CrLfCrLf", "a\r\n\r\n", {"a", ""}},
                      LineCase{"LoneCrs", "a\rb\rc", {"abc"}},
                      LineCase{"CrsBeforeLf", "a\rb\r\n", {"ab"}},
                      LineCase{"SeveralCrs", "x\r\r\r\ny", {"x", "y"}},
                      LineCase{"JustLf", "\n", {""}}, LineCase{"JustCr", "\r", {""}},
                      LineCase{"CtrlZAfterLine", "a\r\n" + kZ + "b\r\n", {"a"}},
                      LineCase{"CtrlZInLine", "a" + kZ + "b\r\nc", {"a"}},
                      LineCase{"CtrlZFirstByte", kZ + "abc\n", {""}},
                      LineCase{"CtrlZLast", "a\nb" + kZ, {"a", "b"}},
                      LineCase{"LongStraddling",
                               std::string(40, 'x') + "\r\n" + std::string(33, 'y') + "\r\n",
                               {std::string(40, 'x'), std::string(33, 'y')}},
                      LineCase{"AllBytesKept",
                               std::string("\x00\x01\xff;\t \"", 7) + "\n",
                               {std::string("\x00\x01\xff;\t \"", 7)}}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(LineReader, LongLinesAreReadWhole) {
  TempDir dir;
  const std::string long_line(3'000'000, 'q');
  const std::string path = dir.Write("long.csv", "a\n" + long_line + "\r\nb");
  const std::vector<std::string> expected{"a", long_line, "b"};
  EXPECT_EQ(ReadAllLines(path, 1000), expected);
  EXPECT_EQ(ReadAllLines(path, merge::LineReader::kDefaultBlockSize), expected);
}

TEST(LineReader, CountsBytesRead) {
  TempDir dir;
  merge::LineReader reader(dir.Write("f.csv", "abc\ndef\n"));
  while (!reader.AtDataEnd())
    reader.NextLine();
  EXPECT_EQ(reader.BytesRead(), 8);
}

// ReadSourceFile: which lines are used for a skip count.
TEST(ReadSourceFile, SkipCountDropsLeadingLines) {
  TempDir dir;
  const std::string three = dir.Write("three.csv", "1\n2\n3\n");
  const std::string empty = dir.Write("empty.csv", "");
  const struct {
    const std::string& path;
    std::int32_t skip;
    std::vector<std::string> lines;
  } cases[] = {
      {three, 2, {"3"}},
      {three, 0, {"1", "2", "3"}},
      {three, -1, {"1", "2", "3"}},
      {three, 3, {}},
      {three, 99, {}},
      {empty, 0, {""}},
      {empty, 1, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> used;
    merge::ReadSourceFile(c.path, c.skip, ';', [&](const std::vector<std::string_view>& fields) {
      used.emplace_back(fields.empty() ? "" : std::string(fields[0]));
    });
    EXPECT_EQ(used, c.lines) << c.path << " skip " << c.skip;
  }
}

TEST(ReadSourceFile, OnlyNamedFilesAreAvailable) {
  TempDir dir;
  EXPECT_FALSE(merge::IsSourceFileAvailable(dir.File("missing.csv")));
  EXPECT_FALSE(merge::IsSourceFileAvailable(dir.path()));
  EXPECT_FALSE(merge::IsSourceFileAvailable(""));
  EXPECT_TRUE(merge::IsSourceFileAvailable(dir.Write("there.csv", "")));
}

TEST(ReadSourceFile, OldFileIsRead) {
  TempDir dir;
  const std::string path = dir.Write("old.csv", "a\n");
  ASSERT_EQ(::system(("touch -d '1970-01-01 00:00:00 UTC' '" + path + "'").c_str()), 0);
  int calls = 0;
  merge::ReadSourceFile(path, 0, ',', [&](const std::vector<std::string_view>&) { ++calls; });
  EXPECT_EQ(calls, 1);
}

} // namespace
