// Saving a UTF-8 table into both output encodings, the byte-order mark, and
// the count of characters a Windows-1251 file has no byte for.

#include "export/save_table.h"
#include "merge/result_table.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;

// A UTF-8 table of the given rows (two columns): the sample folder's words.
void FillUtf8(merge::ResultTable& table) {
  const std::vector<std::vector<std::string>> rows = {
      {"Фамилия", "Город"}, {"Émile", "Zürich"}, {"1", "Ωmega"}, {"Ёж", "\xFF"}};
  table.SetEncoding(merge::TextEncoding::kUtf8);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      table.SetCell(static_cast<int>(c), static_cast<int>(r), rows[r][c]);
  }
  table.SetRowCount(4);
}

std::string Saved(const merge::ResultTable& table, exporter::SaveOptions options) {
  TempDir dir;
  const std::string path = dir.File("out.csv");
  exporter::SaveTable(table, path, options);
  return ReadBytes(path);
}

exporter::SaveOptions Options(char delimiter, bool escape, bool utf8, bool bom = false) {
  exporter::SaveOptions options;
  options.delimiter = delimiter;
  options.escape = escape;
  options.utf8 = utf8;
  options.bom = bom;
  return options;
}

TEST(SaveUtf8Table, IntoUtf8AsItIsWithOrWithoutTheMark) {
  merge::ResultTable table;
  FillUtf8(table);
  const std::string body = "Фамилия;Город;\r\nÉmile;Zürich;\r\n1;Ωmega;\r\nЁж;\xFF;\r\n";
  EXPECT_EQ(Saved(table, Options(';', false, true)), body);
  EXPECT_EQ(Saved(table, Options(';', false, true, true)), "\xEF\xBB\xBF" + body);
  // The mark belongs to UTF-8 files only.
  EXPECT_EQ(Saved(table, Options(';', false, false, true)).substr(0, 3), "\xD4\xE0\xEC");
}

TEST(SaveUtf8Table, EscapesByTheDelimitersByteCode) {
  merge::ResultTable table;
  table.SetEncoding(merge::TextEncoding::kUtf8);
  table.SetCell(0, 0, "a;b\tЖ");
  table.SetCell(1, 0, "АбА");
  table.SetCell(0, 1, "\xA0"); // a stray continuation byte is no delimiter
  // An ASCII delimiter as of old.
  EXPECT_EQ(Saved(table, Options(';', true, true)), "a#59b#9Ж;АбА;\r\n\xA0;;\r\n");
  // "А" (byte 192) as the delimiter: its character is escaped by its byte's
  // code, and the byte itself stands between the cells as of old.
  EXPECT_EQ(Saved(table, Options('\xC0', true, true)),
            "a;b#9Ж\xC0#192б#192\xC0\r\n\xA0\xC0\xC0\r\n");
  // The same into Windows-1251: converted, then escaped.
  EXPECT_EQ(Saved(table, Options('\xC0', true, false)),
            "a;b#9\xC6\xC0#192\xE1#192\xC0\r\n\xA0\xC0\xC0\r\n");
}

TEST(SaveUtf8Table, IntoWindows1251WithQuestionMarksCounted) {
  merge::ResultTable table;
  FillUtf8(table);
  exporter::SaveReport report;
  exporter::SaveOptions options = Options(';', false, false);
  options.report = &report;
  EXPECT_EQ(Saved(table, options), "\xD4\xE0\xEC\xE8\xEB\xE8\xFF;\xC3\xEE\xF0\xEE\xE4;\r\n"
                                   "?mile;Z?rich;\r\n"
                                   "1;?mega;\r\n"
                                   "\xA8\xE6;\xFF;\r\n");
  EXPECT_EQ(report.replaced_characters, 3);
  EXPECT_EQ(report.first_replaced_row, 1);
  EXPECT_EQ(report.first_replaced_col, 0);
}

// The default table keeps today's bytes, mark or not.
TEST(SaveCp1251Table, TheMarkOnlyWithUtf8) {
  merge::ResultTable table;
  table.SetCell(0, 0, "\xC0");
  EXPECT_EQ(Saved(table, Options(',', false, true, true)), "\xEF\xBB\xBF\xD0\x90,,\r\n,,\r\n");
  EXPECT_EQ(Saved(table, Options(',', false, false, true)), "\xC0,,\r\n,,\r\n");
}

} // namespace
