// Finding the reading options: random tables written with every delimiter,
// encoding and quoting must be found as written, or not at all.

#include "merge/collect.h"
#include "merge/detect_options.h"
#include "platform/codepage.h"
#include "tests/samples/encoding_samples.h"
#include "tests/support/fake_candidates.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using merge::DetectedOptions;
using merge::TextEncoding;

// A table as it was written, and what that makes true of its bytes.
struct Written {
  std::string bytes;
  char delimiter;
  TextEncoding encoding;
  bool non_ascii = false; // some byte says which encoding it is
  bool quoted = false;    // some field is in quotes
  bool header = false;
  bool value_column = false; // a column of numbers under the header
};

// Windows-1251 letters only: next to each other they are never UTF-8.
std::string Word(std::mt19937& rng, bool cyrillic) {
  std::string word;
  const int length = 1 + static_cast<int>(rng() % 8);
  for (int i = 0; i < length; ++i)
    word.push_back(cyrillic ? static_cast<char>(0xC0 + rng() % 64)
                            : static_cast<char>('a' + rng() % 26));
  return word;
}

Written RandomTable(std::mt19937& rng) {
  Written table;
  table.delimiter = merge::kDetectableDelimiters[rng() % merge::kDetectableDelimiters.size()];
  table.encoding = rng() % 2 ? TextEncoding::kUtf8 : TextEncoding::kCp1251;
  const int quoting = static_cast<int>(rng() % 3); // none, where needed, every text
  const bool crlf = rng() % 2;
  const int columns = 2 + static_cast<int>(rng() % 6);
  const int rows =
      rng() % 8 == 0 ? 1000 + static_cast<int>(rng() % 1000) : 1 + static_cast<int>(rng() % 30);
  std::vector<int> kinds; // 0 text, 1 number, 2 date
  for (int c = 0; c < columns; ++c)
    kinds.push_back(static_cast<int>(rng() % 3));
  table.header = rng() % 2;
  std::string text;
  const auto field = [&](std::string value, bool is_text) {
    bool quote = quoting == 2 && is_text;
    if (quoting > 0 && is_text && rng() % 4 == 0) {
      // What only quotes can hold.
      const char specials[] = {table.delimiter, '"', '\n'};
      value.insert(rng() % (value.size() + 1), 1, specials[rng() % 3]);
      quote = true;
    }
    if (!quote)
      return value;
    table.quoted = true;
    std::string out = "\"";
    for (const char c : value)
      out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
  };
  for (int r = 0; r < rows + (table.header ? 1 : 0); ++r) {
    for (int c = 0; c < columns; ++c) {
      if (c > 0)
        text += table.delimiter;
      const bool heading = table.header && r == 0;
      const bool cyrillic = rng() % 2;
      if (heading || kinds[c] == 0) {
        std::string word = Word(rng, cyrillic);
        table.non_ascii = table.non_ascii || cyrillic;
        text += field(word, true);
      } else if (kinds[c] == 1) {
        text += std::to_string(static_cast<int>(rng() % 100000) - 500) + "." +
                std::to_string(rng() % 100);
      } else {
        text += std::to_string(10 + rng() % 18) + "." + std::to_string(10 + rng() % 2) + ".2026";
      }
    }
    text += crlf ? "\r\n" : "\n";
  }
  for (int c = 0; c < columns; ++c)
    table.value_column = table.value_column || (kinds[c] != 0 && rows >= 1);
  if (table.encoding == TextEncoding::kUtf8) {
    text = platform::Cp1251ToUtf8(text);
    if (rng() % 2) {
      text = "\xEF\xBB\xBF" + text;
      table.non_ascii = true;
    }
  }
  table.bytes = text;
  return table;
}

TEST(DetectOptions, RandomTablesAreFoundAsWritten) {
  std::mt19937 rng(20261209);
  int headers_told = 0;
  int headers_tellable = 0;
  for (int round = 0; round < 600; ++round) {
    const Written table = RandomTable(rng);
    const bool whole = table.bytes.size() <= merge::kFileStartSize;
    const DetectedOptions found =
        merge::DetectOptions(std::string_view(table.bytes).substr(0, merge::kFileStartSize), whole);
    SCOPED_TRACE("round " + std::to_string(round) + ": " + table.bytes.substr(0, 200));
    ASSERT_TRUE(found.delimiter.has_value());
    EXPECT_EQ(*found.delimiter, table.delimiter);
    EXPECT_EQ(found.quotes, table.quoted);
    EXPECT_EQ(found.encoding, table.non_ascii ? std::optional(table.encoding) : std::nullopt);
    EXPECT_TRUE(!found.header || *found.header == table.header);
    if (table.value_column) {
      ++headers_tellable;
      headers_told += found.header.has_value();
    }
  }
  // Tables with a column of values under texts tell their header nearly always.
  EXPECT_GT(headers_told, headers_tellable * 9 / 10);
}

TEST(DetectOptions, WhatCannotBeToldIsNotGuessed) {
  struct Case {
    std::string bytes;
    bool delimiter_found;
  };
  const Case cases[] = {
      {"", false},
      {"one\ntwo\nthree\n", false},      // one field a line
      {"a;b\nc,d,e\nf|g|h|i\n", false},  // no delimiter splits them alike
      {"plain ascii;text\nx;y\n", true}, // no encoding to tell
  };
  for (const Case& c : cases) {
    const DetectedOptions found = merge::DetectOptions(c.bytes, true);
    EXPECT_EQ(found.delimiter.has_value(), c.delimiter_found) << c.bytes;
    EXPECT_FALSE(found.encoding.has_value()) << c.bytes;
    EXPECT_FALSE(found.header.has_value()) << c.bytes;
  }
}

TEST(DetectOptions, SampleFilesAndTheirFolder) {
  testing_support::TempDir dir;
  const std::string old = dir.Write("old.csv", samples::kOld);
  const std::string web = dir.Write("web.csv", samples::kWeb);
  const std::string excel = dir.Write("excel.csv", samples::kExcel);
  // Russian decimals: the comma is in every number, the delimiter is ";".
  const std::string money = dir.Write("money.csv", "Сумма;Курс\n1,5;2,25\n10,75;3,5\n");
  std::vector<DetectedOptions> found;
  for (const std::string& path : {old, web, excel, money}) {
    found.push_back(merge::DetectFileOptions(path));
    EXPECT_EQ(found.back().delimiter, ';') << path;
  }
  EXPECT_EQ(found[0].encoding, TextEncoding::kCp1251);
  EXPECT_EQ(found[1].encoding, TextEncoding::kUtf8);
  EXPECT_EQ(found[1].header, true);
  EXPECT_EQ(found[3].header, true);
  const merge::DetectedForFiles all = merge::CombineDetected(found);
  EXPECT_EQ(all.delimiter, ';');
  EXPECT_EQ(all.delimiter_files, 4);
  EXPECT_EQ(all.encoding, merge::SourceEncoding::kDetect); // UTF-8 and Windows-1251 mixed
  EXPECT_EQ(all.header, true);
  EXPECT_EQ(all.quotes, false);
}

TEST(DetectOptions, EachFileSplitAtItsOwnDelimiter) {
  testing_support::TempDir dir;
  dir.Write("a.csv", "1;2\n3;4\n");
  dir.Write("b.csv", "5\t6\n7\t8\n");
  dir.Write("c.csv", "9\n"); // cannot tell: the typed delimiter
  testing_support::FakeCandidates candidates(dir, {{"a.csv"}, {"b.csv"}, {"c.csv"}});
  merge::CollectOptions options;
  options.delimiter_text = ",";
  options.add_file_name = false;
  options.detect_delimiter = true;
  merge::ResultTable table;
  merge::CollectFiles(table, candidates, options, [] {});
  const std::vector<std::vector<std::string>> expected = {
      {"1", "2"}, {"3", "4"}, {"5", "6"}, {"7", "8"}, {"9", ""}};
  for (std::size_t r = 0; r < expected.size(); ++r)
    for (std::size_t c = 0; c < 2; ++c)
      EXPECT_EQ(
          std::string(table.GetCell(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r))),
          expected[r][c]);
}

} // namespace
