#include "export/quote_cell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct QuoteCase {
  std::string cell;
  char delimiter;
  std::string expected;
};

TEST(QuoteCellTest, QuotesOnlyCellsThatWouldBreakTheRecord) {
  const std::vector<QuoteCase> cases = {
      {"Smith, John", ',', "\"Smith, John\""},
      {"Smith, John", ';', "Smith, John"},
      {"say \"hi\"", ';', "\"say \"\"hi\"\"\""},
      {"\"", ',', "\"\"\"\""},
      {"two\r\nlines", ',', "\"two\r\nlines\""},
      {"lf\nonly", ',', "\"lf\nonly\""},
      {"cr\ronly", ',', "\"cr\ronly\""},
      {"a\x1a", ',', "\"a\x1a\""}, // byte 26 would end a reader's data
      {"a b", ' ', "\"a b\""},
      {"a\tb", '\t', "\"a\tb\""},
      {"a\tb", ',', "a\tb"},
      {"#44", ',', "#44"},
      {"", ',', ""},
      {"  spaces  ", ',', "  spaces  "},
  };
  for (const auto& c : cases)
    EXPECT_EQ(exporter::QuoteCell(c.cell, c.delimiter), c.expected) << c.cell;
}

TEST(QuoteCellTest, QuotedFormNeverExceedsItsBound) {
  for (const std::string cell : {"\"", "\"\"\"", "a\"b", ","}) {
    const std::string quoted = exporter::QuoteCell(cell, ',');
    EXPECT_LE(quoted.size(), exporter::MaxQuotedSize(cell.size())) << cell;
  }
}

} // namespace
