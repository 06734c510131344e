#include "merge/file_name_tag.h"

#include <gtest/gtest.h>

namespace {

TEST(FileNameTag, NameOnly) {
  const struct {
    const char* path;
    const char* tag;
  } cases[] = {
      {"/data/report.csv", "report"},
      {"/data/a.b.csv", "a.b"},
      {"/data/x.csv.csv", "x"},
      {"/data/REPORT.CSV", "REPORT"},
      {"/old.dir/list", "list"},
      {"/data/.csv", ""},
      {"report.csv", "report"},
      {"/data/Report.csv.CSV", "Report.csv"}, // extension compared with its case
      {"/data/a.b", "a"},
      {"/data/trailing.", "trailing"},
      // A backslash is an ordinary byte of a Linux file name.
      {"/data/C:\\x\\name.csv", "C:\\x\\name"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(merge::FileNameTag(c.path, true), c.tag) << c.path;
}

TEST(FileNameTag, FullPathWhenNotNameOnly) {
  EXPECT_EQ(merge::FileNameTag("/data/report.csv", false), "/data/report.csv");
  EXPECT_EQ(merge::FileNameTag("", false), "");
}

TEST(FileNameTag, Utf8NamesBecomeWindows1251Cells) {
  // "отчёт.csv" in UTF-8 gives the Windows-1251 bytes of "отчёт".
  EXPECT_EQ(merge::FileNameTag("/d/\xd0\xbe\xd1\x82\xd1\x87\xd1\x91\xd1\x82.csv", true),
            "\xee\xf2\xf7\xb8\xf2");
  EXPECT_EQ(merge::FileNameTag("/d\xd1\x8f/a.csv", false), "/d\xff/a.csv");
  // Not UTF-8: the bytes are kept as they are.
  EXPECT_EQ(merge::FileNameTag("/d/\xee\xf2.csv", true), "\xee\xf2");
  // A character the code page lacks becomes "?".
  EXPECT_EQ(merge::FileNameTag("/d/\xe4\xb8\xad.csv", true), "?");
}

} // namespace
