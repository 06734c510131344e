#include "merge/split_line.h"

#include <gtest/gtest.h>

namespace {

using Fields = std::vector<std::string_view>;

TEST(SplitLine, CommaExamples) {
  const struct {
    std::string_view line;
    Fields fields;
  } cases[] = {
      {"a,b", {"a", "b"}},
      {"a,b,", {"a", "b"}},
      {"a,b,,", {"a", "b", ""}},
      {",a", {"", "a"}},
      {"a,,b", {"a", "", "b"}},
      {",", {""}},
      {",,", {"", ""}},
      {"a", {"a"}},
      {"", {}},
      {" a , b", {" a ", " b"}},
      {"\"x,y\"", {"\"x", "y\""}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(merge::SplitLine(c.line, ','), c.fields) << "line [" << c.line << "]";
}

TEST(SplitLine, SpaceDelimiterFromTheTabEntry) {
  const auto delimiter = merge::ReadingDelimiter("        (Tab)");
  ASSERT_EQ(delimiter, ' ');
  EXPECT_EQ(merge::SplitLine("a b c", delimiter), (Fields{"a", "b", "c"}));
  EXPECT_EQ(merge::SplitLine("a\tb\tc", delimiter), (Fields{"a\tb\tc"}));
}

TEST(SplitLine, ReadingDelimiterIsTheFirstByte) {
  EXPECT_EQ(merge::ReadingDelimiter(";"), ';');
  EXPECT_EQ(merge::ReadingDelimiter("|x"), '|');
  EXPECT_EQ(merge::ReadingDelimiter("\xb9"), '\xb9');
  EXPECT_EQ(merge::ReadingDelimiter(""), std::nullopt);
}

// With an empty Edit2 there is no delimiter: a non-empty line is one field.
TEST(SplitLine, NoDelimiterGivesTheWholeLine) {
  EXPECT_EQ(merge::SplitLine("a,b;c d", std::nullopt), (Fields{"a,b;c d"}));
  EXPECT_EQ(merge::SplitLine("", std::nullopt), Fields{});
}

// The plain rule, byte by byte, against which the fast scan is checked.
Fields ReferenceSplit(std::string_view line, char d) {
  Fields out;
  if (line.empty())
    return out;
  std::size_t start = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == d) {
      out.push_back(line.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < line.size())
    out.push_back(line.substr(start));
  return out;
}

TEST(SplitLine, LongLinesAgreeWithTheByteRule) {
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
  for (int round = 0; round < 2000; ++round) {
    std::string line(next() % 100, 'x');
    for (char& ch : line)
      ch = "ab,,\xff\0;"[next() % 7];
    for (char d : {',', '\0', '\xff'})
      ASSERT_EQ(merge::SplitLine(line, d), ReferenceSplit(line, d)) << round;
  }
}

TEST(SplitLine, ReusedVectorIsCleared) {
  std::vector<std::string_view> fields{"old", "stuff"};
  merge::SplitLine("x", ',', fields);
  EXPECT_EQ(fields, Fields{"x"});
  merge::SplitLine("", ',', fields);
  EXPECT_TRUE(fields.empty());
}

} // namespace
