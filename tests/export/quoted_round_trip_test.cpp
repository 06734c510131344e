// Saving with quotes and reading with quotes give back the same cells.
#include "export/save_table.h"
#include "merge/collect.h"
#include "merge/result_table.h"
#include "tests/support/collect_test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using testing_support::Cells;
using testing_support::FakeCandidates;
using testing_support::Grid;
using testing_support::ReadBytes;
using testing_support::TempDir;

// Cells made mostly of the bytes that matter to quoting.
Grid RandomCells(std::mt19937& random) {
  static const std::string kAlphabet = std::string("ab ,;\t\"\r\n\x1a\xC0#", 12) + '\0';
  const int rows = 1 + static_cast<int>(random() % 12);
  const int cols = 1 + static_cast<int>(random() % 6);
  Grid grid(rows, std::vector<std::string>(cols));
  for (auto& row : grid)
    for (auto& cell : row) {
      const int size = static_cast<int>(random() % 7);
      for (int i = 0; i < size; ++i)
        cell.push_back(kAlphabet[random() % kAlphabet.size()]);
    }
  return grid;
}

TEST(QuotedRoundTripTest, RandomCellsComeBackForEveryDelimiter) {
  std::mt19937 random(12345);
  TempDir dir;
  const std::string path = dir.File("out.csv");
  for (const char delimiter : {',', ';', '\t', ' '}) {
    for (int round = 0; round < 150; ++round) {
      const Grid cells = RandomCells(random);
      const int rows = static_cast<int>(cells.size());
      const int cols = static_cast<int>(cells[0].size());
      merge::ResultTable saved;
      for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
          saved.SetCell(c, r, cells[r][c]);
      saved.SetColCount(cols);
      saved.SetRowCount(rows);
      exporter::SaveOptions save;
      save.delimiter = delimiter;
      save.quote = true;
      save.escape = round % 2 == 0; // quoting wins over the escape
      exporter::SaveTable(saved, path, save);

      merge::ResultTable read;
      FakeCandidates file({path});
      merge::CollectOptions collect;
      collect.delimiter_text = std::string(1, delimiter);
      collect.add_file_name = false;
      collect.quotes = true;
      EXPECT_EQ(merge::CollectFiles(read, file, collect, nullptr).files_with_open_quote, 0);
      ASSERT_EQ(Cells(read, cols + 1, rows + 1),
                [&] {
                  Grid expected = cells;
                  for (auto& row : expected)
                    row.emplace_back();
                  expected.emplace_back(cols + 1);
                  return expected;
                }())
          << "delimiter " << static_cast<int>(delimiter) << ", round " << round << ": "
          << ReadBytes(path);
    }
  }
}

TEST(QuotedRoundTripTest, QuotingTakesThePlaceOfTheEscape) {
  TempDir dir;
  merge::ResultTable table;
  table.SetCell(0, 0, "Smith, John");
  table.SetCell(1, 0, "say \"hi\"\r\nbye");
  table.SetCell(0, 1, "plain");
  table.SetCell(1, 1, "tab\there");
  exporter::SaveOptions options;
  options.quote = true;
  options.escape = true;
  exporter::SaveTable(table, dir.File("q.csv"), options);
  EXPECT_EQ(ReadBytes(dir.File("q.csv")),
            "\"Smith, John\",\"say \"\"hi\"\"\r\nbye\"\r\nplain,tab\there\r\n");
  // A quote as the delimiter: nothing to protect with quotes, the escape stays.
  options.delimiter = '"';
  exporter::SaveTable(table, dir.File("d.csv"), options);
  EXPECT_EQ(ReadBytes(dir.File("d.csv")),
            "Smith, John\"say #34hi#34#13#10bye\"\r\nplain\"tab#9here\"\r\n");
}

} // namespace
