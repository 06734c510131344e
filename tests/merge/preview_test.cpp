// The preview shows what collecting the same file with the same options
// places, whatever the options, and reads no more than the file's start.

#include "merge/collect.h"
#include "merge/detect_options.h"
#include "merge/preview.h"
#include "platform/errors.h"
#include "tests/support/fake_candidates.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using merge::SourceEncoding;

// A file far beyond the preview's reach: quoted fields with delimiters and
// line breaks in them, Windows-1251 letters.
std::string LongQuotedFile() {
  std::string text = "\"Имя\";Сумма;\"Примечание\"\r\n";
  for (int i = 0; i < 4000; ++i)
    text += "\"Строка " + std::to_string(i) + "\";" + std::to_string(i * 7) +
            (i % 3 == 0 ? ";\"две\r\nстроки; и \"\"кавычка\"\"\"\r\n" : ";просто\r\n");
  return text;
}

TEST(Preview, FirstCellsAreTheCollectsForEveryOption) {
  testing_support::TempDir dir;
  const std::string files[] = {
      dir.Write("plain.csv", "a;b;c\nd;e\n\nf;g;h;i\n"),
      dir.Write("bom.csv", "\xEF\xBB\xBF\"x;y\";z\r\n\"two\nlines\";w\r\n"),
      dir.Write("long.csv", LongQuotedFile()),
      dir.Write("cp1251.csv", std::string("\xC8\xEC\xFF;\xC3\xEE\xF0\xEE\xE4\n1;2\n")),
  };
  for (const std::string& file : files)
    for (const char* delimiter : {";", ","})
      for (const bool quotes : {false, true})
        for (const bool header : {false, true})
          for (const int skip : {0, 2})
            for (const SourceEncoding encoding :
                 {SourceEncoding::kCp1251, SourceEncoding::kUtf8, SourceEncoding::kDetect}) {
              merge::CollectOptions options;
              options.delimiter_text = delimiter;
              options.quotes = quotes;
              options.header = header;
              options.skip_count = skip;
              options.source_encoding = encoding;
              options.add_file_name = false;
              options.side_by_side = false;
              SCOPED_TRACE(file + " " + delimiter + " q" + std::to_string(quotes) + " h" +
                           std::to_string(header) + " s" + std::to_string(skip) + " e" +
                           std::to_string(static_cast<int>(encoding)));
              const merge::Preview preview = merge::PreviewFile(file, options);
              merge::ResultTable table;
              testing_support::FakeCandidates list({file});
              merge::CollectFiles(table, list, options, [] {});
              EXPECT_EQ(preview.encoding, table.Encoding());
              ASSERT_LE(preview.rows.size(), static_cast<std::size_t>(merge::kPreviewRows));
              ASSERT_LE(preview.rows.size(), static_cast<std::size_t>(table.RowCount()));
              if (!preview.cut) {
                EXPECT_EQ(preview.rows.size(), static_cast<std::size_t>(table.RowCount()));
              }
              for (std::size_t r = 0; r < preview.rows.size(); ++r) {
                const auto& row = preview.rows[r];
                const auto at = [&](std::size_t c) {
                  return std::string(
                      table.GetCell(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r)));
                };
                for (std::size_t c = 0; c < row.size(); ++c)
                  ASSERT_EQ(row[c], at(c)) << "row " << r << " column " << c;
                for (std::size_t c = row.size(); c < static_cast<std::size_t>(table.ColCount());
                     ++c)
                  ASSERT_EQ(at(c), "") << "row " << r << " column " << c;
              }
            }
}

TEST(Preview, LongFileIsCutAndUnreadableFileSaysWhy) {
  testing_support::TempDir dir;
  merge::CollectOptions options;
  options.delimiter_text = ";";
  const merge::Preview long_file =
      merge::PreviewFile(dir.Write("long.csv", LongQuotedFile()), options);
  EXPECT_TRUE(long_file.cut);
  EXPECT_EQ(long_file.rows.size(), static_cast<std::size_t>(merge::kPreviewRows));
  try {
    merge::PreviewFile(dir.File("missing.csv"), options);
    FAIL() << "a missing file has no preview";
  } catch (const platform::FileError& error) {
    EXPECT_EQ(error.number(), 2);
  }
}

} // namespace
