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

TEST(SplitLine, ReusedVectorIsCleared) {
  std::vector<std::string_view> fields{"old", "stuff"};
  merge::SplitLine("x", ',', fields);
  EXPECT_EQ(fields, Fields{"x"});
  merge::SplitLine("", ',', fields);
  EXPECT_TRUE(fields.empty());
}

} // namespace
