#include "merge/collect.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseSkipCount, Table) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"4", 4},
      {"  4", 4},
      {"4 ", 4},
      {"4 \xf1\xf2\xf0\xee\xea\xe8", 4}, // "4 строки"
      {"-3", -3},
      {"-3x", 3},
      {"abc", 0},
      {"", 0},
      {"\t4", 0},
      {"$10", 16},
      {"0x10", 16},
      {"0X10", 16},
      {"x1F", 31},
      {"X1f", 31},
      {"+7", 7},
      {"-0x10", -16},
      {"$FFFFFFFF", -1},
      {"2147483647", 2147483647},
      {"2147483648", INT32_MIN},
      {"4294967295", 429496729}, // stops at the 10th digit
      {"-2147483648", INT32_MIN},
      {"21474836470", static_cast<std::int32_t>(2147483647)}, // stops at the 11th digit
      {"$1FFFFFFFF", 0x1FFFFFFF},                             // stops at the 9th digit
      {"0", 0},
      {"007", 7},
      {"0x", 0},
      {"$", 0},
      {"-", 0},
      {"- 3", 0},
      {"12g", 12},
      {"$1g", 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(merge::ParseSkipCount(c.text), c.value) << "[" << c.text << "]";
}

} // namespace
