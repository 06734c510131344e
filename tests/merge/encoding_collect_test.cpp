// Collecting files of both encodings: the table's encoding and when it is
// fixed, detection per file, UTF-8 files that are not UTF-8, and what a
// Windows-1251 table does with characters it has no byte for.

#include "merge/collect.h"
#include "merge/source_decoder.h"
#include "merge/split_line.h"
#include "merge/table_commands.h"
#include "tests/samples/encoding_samples.h"
#include "tests/support/collect_test_support.h"

#include <gtest/gtest.h>

namespace {

using merge::CollectOptions;
using merge::ResultTable;
using merge::SourceEncoding;
using merge::TextEncoding;
using testing_support::Cells;
using testing_support::FakeCandidates;
using testing_support::Grid;
using testing_support::TempDir;

CollectOptions Options(SourceEncoding encoding) {
  CollectOptions o;
  o.delimiter_text = ";";
  o.add_file_name = true;
  o.name_only = true;
  o.source_encoding = encoding;
  return o;
}

class EncodingCollect : public ::testing::Test {
protected:
  EncodingCollect() {
    dir.Write("excel.csv", samples::kExcel);
    dir.Write("web.csv", samples::kWeb);
    dir.Write("old.csv", samples::kOld);
    dir.Write("broken.csv", samples::kBroken);
    dir.Write(samples::kOddName, samples::kOddNameContent);
  }

  void Collect(CollectOptions options, std::vector<FakeCandidates::Item> items) {
    options.encoding_report = &report;
    FakeCandidates candidates(dir, std::move(items));
    merge::CollectFiles(table, candidates, options, nullptr);
  }

  TempDir dir;
  ResultTable table;
  merge::EncodingReport report;
};

// The folder of the issue: a spreadsheet's file, a web export, an old
// Windows-1251 export and an odd name, each read in its own encoding.
TEST_F(EncodingCollect, DetectionReadsAMixedFolderIntoOneUtf8Table) {
  Collect(Options(SourceEncoding::kDetect),
          {{"excel.csv"}, {"web.csv"}, {"old.csv"}, {samples::kOddName}});
  EXPECT_EQ(table.Encoding(), TextEncoding::kUtf8);
  EXPECT_TRUE(table.EncodingFixed());
  EXPECT_EQ(Cells(table, 3, 11), (Grid{
                                     {"Фамилия", "Город", "excel"}, // the mark is gone
                                     {"Émile", "Zürich", "excel"},
                                     {"Иванов", "Москва", "excel"},
                                     {"id", "name", "web"},
                                     {"1", "Ωmega", "web"},
                                     {"2", "Пётр", "web"},
                                     {"Сидоров", "Тверь", "old"},
                                     {"Ёж", "№5", "old"},
                                     {"z", "1", "naïve-Ω"},
                                     {"", "", ""},
                                     {"", "", ""},
                                 }));
  EXPECT_TRUE(report.Empty());
}

// The default reads bytes as of old: the mark stays in the first cell and
// the UTF-8 bytes stay as they are.
TEST_F(EncodingCollect, Windows1251KeepsEveryByteAsOfOld) {
  Collect(Options(SourceEncoding::kCp1251), {{"excel.csv"}, {"old.csv"}});
  EXPECT_EQ(table.Encoding(), TextEncoding::kCp1251);
  EXPECT_EQ(table.GetCell(0, 0), "\xEF\xBB\xBF"
                                 "Фамилия");
  EXPECT_EQ(table.GetCell(0, 3), "\xD1\xE8\xE4\xEE\xF0\xEE\xE2");
  EXPECT_TRUE(report.Empty());
}

// Under "UTF-8" a file that is not UTF-8 keeps its bytes and is counted; the
// Windows-1251 file is one of them.
TEST_F(EncodingCollect, Utf8KeepsAndCountsFilesThatAreNotUtf8) {
  Collect(Options(SourceEncoding::kUtf8), {{"broken.csv"}, {"excel.csv"}, {"old.csv"}});
  EXPECT_EQ(table.Encoding(), TextEncoding::kUtf8);
  EXPECT_EQ(table.GetCell(1, 0), "\xFF\xFE");
  // A fresh table's second row stays empty after a one-line file.
  EXPECT_EQ(table.GetCell(0, 2), "Фамилия");
  EXPECT_EQ(table.GetCell(0, 5), "\xD1\xE8\xE4\xEE\xF0\xEE\xE2");
  EXPECT_EQ(report.invalid_utf8_files, 2);
  EXPECT_EQ(report.first_invalid_file, dir.File("broken.csv"));
  EXPECT_EQ(report.replaced_characters, 0);
}

CollectOptions SideBySide(CollectOptions o) {
  o.side_by_side = true;
  return o;
}

// The encoding is fixed by the first fill: a later collect beside it under
// another option converts into it, and a character without a byte becomes
// "?" and is told. Clearing frees the choice again.
TEST_F(EncodingCollect, TheFirstFillFixesTheEncodingUntilCleared) {
  Collect(Options(SourceEncoding::kCp1251), {{"old.csv"}});
  ASSERT_EQ(table.Encoding(), TextEncoding::kCp1251);

  Collect(SideBySide(Options(SourceEncoding::kUtf8)), {{"web.csv"}});
  EXPECT_EQ(table.Encoding(), TextEncoding::kCp1251);
  EXPECT_EQ(table.GetCell(4, 1), "?mega");
  EXPECT_EQ(table.GetCell(4, 2), "\xCF\xB8\xF2\xF0"); // "Пётр" in Windows-1251
  EXPECT_EQ(report.replaced_characters, 1);
  EXPECT_EQ(report.first_replaced_file, dir.File("web.csv"));

  merge::ClearTable(table);
  EXPECT_FALSE(table.EncodingFixed());
  Collect(Options(SourceEncoding::kCp1251), {{"old.csv"}});
  EXPECT_EQ(table.Encoding(), TextEncoding::kCp1251);
  merge::ClearTable(table);
  Collect(Options(SourceEncoding::kDetect), {{"old.csv"}});
  EXPECT_EQ(table.Encoding(), TextEncoding::kUtf8);
  EXPECT_EQ(table.GetCell(0, 0), samples::kOldUtf8Row0);
}

// Windows-1251 files collected into a UTF-8 table ("Собрать" side by side
// again without clearing, under the default) are converted into it.
TEST_F(EncodingCollect, Windows1251FilesGoIntoAUtf8TableConverted) {
  Collect(Options(SourceEncoding::kUtf8), {{"web.csv"}});
  Collect(SideBySide(Options(SourceEncoding::kCp1251)), {{"old.csv"}});
  EXPECT_EQ(table.Encoding(), TextEncoding::kUtf8);
  EXPECT_EQ(table.GetCell(3, 1), samples::kOldUtf8Row1);
  EXPECT_EQ(table.GetCell(4, 1), "№5");
}

// Text typed into the empty table (Windows-1251 while the encoding is free)
// is converted when a collect fixes UTF-8.
TEST_F(EncodingCollect, TextTypedBeforeTheFirstFillIsConverted) {
  table.SetCell(0, 1, "\xC8\xF2\xEE\xE3"); // "Итог"
  // A collect that fills nothing leaves the encoding free.
  Collect(Options(SourceEncoding::kUtf8), {});
  EXPECT_FALSE(table.EncodingFixed());
  FakeCandidates web(dir, {{"web.csv"}});
  merge::AddFiles(table, web, Options(SourceEncoding::kUtf8), nullptr);
  EXPECT_EQ(table.Encoding(), TextEncoding::kUtf8);
  EXPECT_EQ(table.GetCell(0, 1), "Итог");
  EXPECT_EQ(table.GetCell(0, 2), "id");
}

// In a UTF-8 table a Cyrillic delimiter is its character, not its
// Windows-1251 byte.
TEST_F(EncodingCollect, ACyrillicDelimiterSplitsUtf8Text) {
  dir.Write("zh.csv", "аЖбЖ\nЖв\n");
  merge::CollectOptions options = Options(SourceEncoding::kUtf8);
  options.delimiter_text = "\xC6"; // "Ж"
  options.add_file_name = false;
  Collect(options, {{"zh.csv"}});
  EXPECT_EQ(Cells(table, 2, 2), (Grid{{"а", "б"}, {"", "в"}}));
}

// The skip count drops the line that holds the mark; the mark never reaches
// a cell either way.
TEST_F(EncodingCollect, TheMarkGoesWithTheFirstLine) {
  merge::CollectOptions options = Options(SourceEncoding::kDetect);
  options.skip_count = 1;
  options.add_file_name = false;
  Collect(options, {{"excel.csv"}});
  EXPECT_EQ(table.GetCell(0, 0), "Émile");
}

// Detection looks at the whole file up to a byte 26: one stray byte far
// after the first block makes the file Windows-1251, and bytes after the end
// of the data do not count.
TEST(SourceFileEncoding, JudgesTheWholeDataOfAFile) {
  TempDir dir;
  const std::string utf8_block = std::string(300000, 'a') + "Пётр\n";
  const auto detect = [&](const std::string& name, const std::string& bytes) {
    return merge::SourceFileEncoding(dir.Write(name, bytes), SourceEncoding::kDetect,
                                     TextEncoding::kCp1251);
  };
  EXPECT_EQ(detect("u.csv", utf8_block), TextEncoding::kUtf8);
  EXPECT_EQ(detect("late.csv", utf8_block + std::string(300000, 'b') + "\xC0\n"),
            TextEncoding::kCp1251);
  EXPECT_EQ(detect("z.csv", utf8_block + "\x1A\xC0\xC0"), TextEncoding::kUtf8);
  EXPECT_EQ(detect("cut.csv", "ab\xD0"), TextEncoding::kCp1251);
  // A sequence across the probe's block boundary is whole.
  EXPECT_EQ(detect("edge.csv", std::string((256 << 10) - 1, 'a') + "Ж"), TextEncoding::kUtf8);
  // Plain ASCII is the same in both: it keeps the table's encoding.
  EXPECT_EQ(detect("a.csv", "a;b\n"), TextEncoding::kCp1251);
  EXPECT_EQ(
      merge::SourceFileEncoding(dir.File("a.csv"), SourceEncoding::kDetect, TextEncoding::kUtf8),
      TextEncoding::kUtf8);
  // The mark alone decides.
  EXPECT_EQ(detect("bom.csv", "\xEF\xBB\xBF\xC0"), TextEncoding::kUtf8);
}

TEST(SplitLineAt, ClosesAFieldAtEachOccurrence) {
  std::vector<std::string_view> fields;
  merge::SplitLineAt("аЖбЖЖв", "Ж", fields);
  EXPECT_EQ(fields, (std::vector<std::string_view>{"а", "б", "", "в"}));
  merge::SplitLineAt("Ж", "Ж", fields);
  EXPECT_EQ(fields, (std::vector<std::string_view>{""}));
  merge::SplitLineAt("", "Ж", fields);
  EXPECT_TRUE(fields.empty());
}

} // namespace
